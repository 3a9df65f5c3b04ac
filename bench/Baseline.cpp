// The yardsticks for the installer's start-up, idle cost and working set, built from this one
// source. The plain floor is the least a Win32 program can do to show a dialog from an
// in-memory template. With TURNIX_REQUIRED_LOADS it also does the loads the installer cannot
// do without, the way it does them: COM, the common controls, and one icon of "shell32.dll"
// shown in the dialog, with libraries from the system folder only.
#include <windows.h>

#ifdef TURNIX_REQUIRED_LOADS
#include <objbase.h>

#include "Startup.h"
#include "SystemLibraries.h"
#endif

namespace {

struct PlainTemplate {
    DLGTEMPLATE header;
    WORD menu;         // 0: none
    WORD windowClass;  // 0: the platform's dialog class
    WCHAR title[9];
};

// Templates must start on a DWORD boundary.
alignas(4) const PlainTemplate PlainDialog = {
    {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER, 0, 0, 0, 0, 180, 45},
    0,
    0,
    L"Baseline"};

#ifdef TURNIX_REQUIRED_LOADS
// Shown before the dialog becomes visible, as the installer shows its status icon.
void ShowShellIcon(HWND dialog) {
    HWND image = CreateWindowExA(0, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, 8, 4, 48, 48, dialog,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    HMODULE shell = LoadSystemLibrary(L"shell32.dll");
    HANDLE icon = LoadImageA(shell, MAKEINTRESOURCEA(6), IMAGE_ICON, 48, 48, 0);
    SendMessageA(image, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
}
#endif

INT_PTR CALLBACK PlainProc(HWND dialog, UINT message, WPARAM, LPARAM) {
#ifdef TURNIX_REQUIRED_LOADS
    if (message == WM_INITDIALOG) {
        ShowShellIcon(dialog);
        return TRUE;
    }
#endif
    if (message == WM_CLOSE) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef TURNIX_REQUIRED_LOADS
    RestrictLibrarySearch();
    CoInitialize(nullptr);
    InitSystemCommonControls(CommonControlClasses);
#endif
    const INT_PTR result = DialogBoxIndirectParamA(instance, &PlainDialog.header, nullptr, PlainProc, 0);
#ifdef TURNIX_REQUIRED_LOADS
    CoUninitialize();
#endif
    return static_cast<int>(result);
}
