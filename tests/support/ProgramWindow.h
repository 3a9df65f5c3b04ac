#pragma once
// The built program's window, found from another process.
#include <windows.h>

#include <string>

namespace program_window {

struct Search {
    DWORD processId;
    HWND found;
};

// The program's own visible "VLC Turnix" window, not any other window of that process.
inline BOOL CALLBACK Match(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (owner != search->processId || !IsWindowVisible(window) || std::string(caption) != "VLC Turnix")
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace program_window

// Polls for up to a minute; null as soon as the process ends without showing the window.
inline HWND WaitForProgramWindow(DWORD processId, HANDLE process) {
    for (int i = 0; i < 600; ++i) {
        program_window::Search search{processId, nullptr};
        EnumWindows(program_window::Match, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}
