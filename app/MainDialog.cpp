#include "MainDialog.h"

#include "DialogLayer.h"
#include "InstallerFlow.h"
#include "Startup.h"

namespace {
// Fixed in size: a caption with its close box, but no sizing border, minimise or maximise box.
constexpr DWORD MainDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
}  // namespace

HWND BuildMainDialog() {
    HWND dialog = NewDialog(MainDialogCaption, nullptr, CenterPosition, CenterPosition, 360, 90,
                            MainDialogStyle, 0, PixelUnits);
    SetDialogIcon(dialog, "ICO1");
    AddControl(dialog, ControlKind::Image, StatusImageId, "", 8, 4, 48, 48, 0, 0);
    AddControl(dialog, ControlKind::Label, StatusLine1Id, "", 70, 8, 250, 16, 0, 0);
    AddControl(dialog, ControlKind::Label, StatusLine2Id, "", 70, 32, 250, 16, 0, 0);
    AddControl(dialog, ControlKind::Button, InstallButtonId, InstallButtonText, 8, 56, 320, 24, 0, 0);
    AddControl(dialog, ControlKind::Image, LinkIconId, "", 334, 60, 16, 16, SS_NOTIFY, 0);
    return dialog;
}

// Nothing comes from the command line or the show command: the dialog is the whole program.
int TurnixMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RunModal(BuildMainDialog(), InstallerCallback);
    return 0;
}
