#pragma once
#include <windows.h>

// Shows icon number iconNumber of "shell32.dll" (icon resource iconNumber + 1) at
// sizePixels x sizePixels in the dialog's image control. A number shell32 lacks, or a
// library that cannot be loaded, leaves the control empty. The dialog layer owns the icon
// (SetControlIcon): the one this replaces is destroyed if an earlier call placed it.
void SetStatusIcon(HWND dialog, int controlId, int iconNumber, int sizePixels);
