#pragma once
// Icons as the platform reports them: whether a handle still works, to see who destroyed which
// icon, and its size.
#include <windows.h>

inline bool IconAlive(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return false;
    DeleteObject(info.hbmColor);  // GetIconInfo hands out copies
    DeleteObject(info.hbmMask);
    return true;
}

// {0, 0} for a handle that does not work. A monochrome icon's mask holds two images, one above the other.
inline SIZE IconSize(HICON icon) {
    ICONINFO info{};
    BITMAP bitmap{};
    if (!GetIconInfo(icon, &info)) return SIZE{0, 0};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    const LONG height = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return SIZE{bitmap.bmWidth, height};
}
