#include "SystemLibraries.h"

#include <commctrl.h>

#include <string>

namespace {

// Loaded once and never freed: the controls' classes live in it.
HMODULE commonControls;

template <typename Function>
Function Lookup(HMODULE module, const char* name) {
    // Through void (*)(): the one function-pointer cast that GCC takes without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

void RestrictLibrarySearch() {
    // Present since Windows 8, and on Vista and 7 with the 2011 loader update.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefault = Lookup<SetDefaultDllDirectoriesFunction>(GetModuleHandleW(L"kernel32.dll"),
                                                                     "SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    // Without it, at least the current folder leaves the search.
    SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows without the loader update refuses the flag; the full path then says where.
    if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool InitSystemCommonControls(DWORD classes) {
    if (!commonControls) commonControls = LoadSystemLibrary(L"comctl32.dll");
    if (!commonControls) return false;
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = Lookup<InitFunction>(commonControls, "InitCommonControlsEx");
    if (!init) return false;
    const INITCOMMONCONTROLSEX controls{sizeof controls, classes};
    return init(&controls) != FALSE;
}
