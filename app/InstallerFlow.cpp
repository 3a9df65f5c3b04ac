#include "InstallerFlow.h"

#include <shellapi.h>

#include "AuthorPage.h"
#include "DialogLayer.h"
#include "MainDialog.h"
#include "ScriptInstall.h"
#include "StatusIcon.h"
#include "VlcSettings.h"

namespace {

// The order of DisplayState.
const StateView DisplayStates[] = {
    {22, "VLC was not detected on your system.", "Install VLC then try again.", ButtonAction::Disable},
    {6, "VLC was detected on your system.", "Ready to install the extension.", ButtonAction::Enable},
    {132, "Extension was already installed previously.", "Replace it ?", ButtonAction::ShowForceCaption},
    {41, "Extension correctly installed. Please restart VLC.",
     "You can now rotate videos via View > Turnix...", ButtonAction::Disable},
    {53, "There was a problem installing the extension !", "You can try again or contact the author.",
     ButtonAction::LeaveAlone},
    {53, "Extension installed, but VLC cannot load it.", "See Windows' language for non-Unicode programs.",
     ButtonAction::Disable},
};

constexpr char VlcKeyPath[] = "SOFTWARE\\VideoLAN\\VLC";
// VLC's .exe installer writes the default value (vlc.exe's path) and "InstallDir"; its .msi
// installer writes "InstallDir" alone.
const char* const VlcValueNames[] = {"", "InstallDir"};
constexpr int True = -1;
constexpr int False = 0;

// The first non-empty value of the VLC key, as read when the dialog opened; only its emptiness counts.
std::string VlcRegistryValue;
// True (-1) once the overwrite warning has been shown: later presses install at once.
int AlreadyWarned = False;

const FlowPlatform* platform = &RealFlowPlatform;

std::string ReadVlcValue() {
    // A 64-bit VLC records itself only in the 64-bit view, which a 32-bit program does not see by default.
    for (const RegistryView view : {RegistryView::Default, RegistryView::Wow64_64})
        for (const char* name : VlcValueNames) {
            std::string value = platform->readRegValue(HKEY_LOCAL_MACHINE, VlcKeyPath, name, view);
            if (!value.empty()) return value;
        }
    return std::string();
}

// Recorded by an installer, or unpacked from its archive and run by this user: either VLC reads
// the extensions folder that the install fills.
bool VlcFound() {
    VlcRegistryValue = ReadVlcValue();
    return !VlcRegistryValue.empty() || platform->vlcSettingsFound();
}

DisplayState InstallOutcome() {
    if (!platform->bothScriptsHeld()) return DisplayState::InstallFailed;
    return platform->bothPathsVlcCanOpen() ? DisplayState::Installed : DisplayState::VlcCannotLoad;
}

bool IsClickCode(WORD code) { return code == BN_CLICKED || code == STN_CLICKED || code == STN_DBLCLK; }

void OnCommand(HWND dialog, WPARAM wParam) {
    const WORD id = LOWORD(wParam);
    if (!IsClickCode(HIWORD(wParam))) return;
    if (id == InstallButtonId)
        OnInstallClicked(dialog);
    else if (id == LinkIconId)
        OnLinkClicked();
}

}  // namespace

const FlowPlatform RealFlowPlatform = {
    SetStatusIcon,    SetControlText, EnableControl,   ReadRegValue,        VlcSettingsFound,
    AnyScriptPresent, InstallScripts, BothScriptsHeld, BothPathsVlcCanOpen, ShellExecuteA,
};

void UseFlowPlatform(const FlowPlatform* replacement) noexcept {
    platform = replacement ? replacement : &RealFlowPlatform;
}

const StateView& ViewOf(DisplayState state) noexcept { return DisplayStates[static_cast<int>(state)]; }

void EnterState(HWND dialog, DisplayState state) {
    const StateView& view = ViewOf(state);
    platform->setStatusIcon(dialog, StatusImageId, view.iconNumber, 48);
    platform->setControlText(dialog, StatusLine1Id, view.firstLine);
    platform->setControlText(dialog, StatusLine2Id, view.secondLine);
    switch (view.button) {
    case ButtonAction::Disable: platform->enableControl(dialog, InstallButtonId, false); break;
    case ButtonAction::Enable: platform->enableControl(dialog, InstallButtonId, true); break;
    case ButtonAction::ShowForceCaption:
        platform->setControlText(dialog, InstallButtonId, ForceInstallText);
        break;
    case ButtonAction::LeaveAlone: break;
    }
}

void OnInitDialog(HWND dialog) {
    platform->setStatusIcon(dialog, LinkIconId, LinkIconNumber, 16);
    AlreadyWarned = False;
    EnterState(dialog, VlcFound() ? DisplayState::Ready : DisplayState::NotDetected);
}

void OnInstallClicked(HWND dialog) {
    if (AlreadyWarned == False && platform->anyScriptPresent()) {
        AlreadyWarned = True;
        EnterState(dialog, DisplayState::OverwriteWarning);
        return;
    }
    platform->installScripts();
    EnterState(dialog, InstallOutcome());
}

void OnLinkClicked() {
    platform->shellExecute(nullptr, "open", AuthorWebPage, "", "", SW_SHOW);  // a failure has no one to tell
}

INT_PTR InstallerCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept {
    // Built without exceptions (out of memory ends the process), so nothing can escape here.
    if (message == WM_INITDIALOG)
        OnInitDialog(dialog);
    else if (message == WM_COMMAND)
        OnCommand(dialog, wParam);
    return 0;
}
