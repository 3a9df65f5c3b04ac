#pragma once
// The installer's logic: the dialog layer's callback for the main dialog, and the only place
// where decisions are taken.
#include <windows.h>

#include <string>

#include "Registry.h"

// Returns 0 for every message, so the layer's defaults always follow. Runs inside the
// platform's dialog procedure: nothing may escape it.
INT_PTR InstallerCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// What the dialog shows: one of six states, each a status icon, two lines and a button action.
// VlcCannotLoad: both scripts were written, but their paths do not survive the ANSI code page
// through which VLC opens them, so VLC would not list them.
enum class DisplayState { NotDetected, Ready, OverwriteWarning, Installed, InstallFailed, VlcCannotLoad };
enum class ButtonAction { Disable, Enable, ShowForceCaption, LeaveAlone };

struct StateView {
    int iconNumber;  // of "shell32.dll", shown at 48 x 48
    const char* firstLine;
    const char* secondLine;
    ButtonAction button;
};
const StateView& ViewOf(DisplayState state) noexcept;

constexpr char ForceInstallText[] = "FORCE-INSTALL EXTENSION (OVERWRITE)";
constexpr int LinkIconNumber = 23;  // of "shell32.dll", shown at 16 x 16

// Everything the flow does outside itself: the dialog, the registry, the installation and the
// shell. Tests replace it with fakes; the program keeps RealFlowPlatform.
struct FlowPlatform {
    void (*setStatusIcon)(HWND dialog, int controlId, int iconNumber, int sizePixels);
    void (*setControlText)(HWND dialog, int id, const char* text);
    void (*enableControl)(HWND dialog, int id, bool enable);
    std::string (*readRegValue)(HKEY root, const std::string& keyPath, const std::string& valueName,
                                RegistryView view);
    bool (*vlcSettingsFound)();
    bool (*anyScriptPresent)();
    void (*installScripts)();
    bool (*bothScriptsHeld)();
    bool (*bothPathsVlcCanOpen)();
    HINSTANCE(WINAPI* shellExecute)
    (HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT showCommand);
};
extern const FlowPlatform RealFlowPlatform;

// nullptr puts back RealFlowPlatform. The platform must outlive its use.
void UseFlowPlatform(const FlowPlatform* platform) noexcept;

// The message handlers behind InstallerCallback.
void OnInitDialog(HWND dialog);
void OnInstallClicked(HWND dialog);
void OnLinkClicked();
void EnterState(HWND dialog, DisplayState state);
