#pragma once
// Whether an icon handle still works, to see who destroyed which icon.
#include <windows.h>

inline bool IconAlive(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return false;
    DeleteObject(info.hbmColor);  // GetIconInfo hands out copies
    DeleteObject(info.hbmMask);
    return true;
}
