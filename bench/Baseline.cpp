// The least a Win32 program can do to show a plain dialog from an in-memory template:
// the yardstick for the installer's start-up, idle cost and working set.
#include <windows.h>

namespace {

struct PlainTemplate {
    DLGTEMPLATE header;
    WORD menu;          // 0: none
    WORD windowClass;   // 0: the platform's dialog class
    WCHAR title[9];
};

// Templates must start on a DWORD boundary.
alignas(4) const PlainTemplate kPlainDialog = {
    {WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER, 0, 0,
     0, 0, 180, 45},
    0,
    0,
    L"Baseline"};

INT_PTR CALLBACK PlainProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(
        DialogBoxIndirectParamA(instance, &kPlainDialog.header, nullptr, PlainProc, 0));
}
