#include "StatusIcon.h"

#include "DialogLayer.h"
#include "ScopedWin.h"
#include "SystemLibraries.h"

void SetStatusIcon(HWND dialog, int controlId, int iconNumber, int sizePixels) {
    const UniqueModule shell(LoadSystemLibrary(L"shell32.dll"));
    HICON icon = static_cast<HICON>(LoadImageA(shell.Get(), MAKEINTRESOURCEA(iconNumber + 1), IMAGE_ICON,
                                               sizePixels, sizePixels, LR_DEFAULTCOLOR));
    SetControlIcon(dialog, controlId, icon);
}
