#pragma once
// The program's one window: its controls and how it is built.
#include <windows.h>

constexpr int StatusImageId = 1001;  // 48 x 48 icon of the current state
constexpr int StatusLine1Id = 1002;
constexpr int StatusLine2Id = 1003;
constexpr int InstallButtonId = 1004;
constexpr int LinkIconId = 1005;  // 16 x 16 icon that opens the author's web page

constexpr char MainDialogCaption[] = "VLC Turnix";
constexpr char InstallButtonText[] = "INSTALL TURNIX EXTENSION";

// The hidden, centred 360 x 90 dialog with its icons and five controls, ready for RunModal.
// Returns nullptr if the window cannot be created.
HWND BuildMainDialog();
