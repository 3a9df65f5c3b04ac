#include "StatusIcon.h"

#include "SystemLibraries.h"

namespace {

// The icons this function put into controls: only these may be destroyed when replaced.
// Two image controls use it, so a handful of slots is plenty; an icon that finds no slot
// is simply never destroyed.
HICON shownIcons[8];

void Remember(HICON icon) {
    if (!icon) return;
    for (HICON& slot : shownIcons)
        if (!slot) {
            slot = icon;
            return;
        }
}

bool Forget(HICON icon) {
    if (!icon) return false;
    for (HICON& slot : shownIcons)
        if (slot == icon) {
            slot = nullptr;
            return true;
        }
    return false;
}

}  // namespace

void SetStatusIcon(HWND dialog, int controlId, int iconNumber, int sizePixels) {
    HMODULE shell = LoadSystemLibrary(L"shell32.dll");
    HICON icon = static_cast<HICON>(LoadImageA(shell, MAKEINTRESOURCEA(iconNumber + 1), IMAGE_ICON,
                                               sizePixels, sizePixels, LR_DEFAULTCOLOR));
    HICON replaced = reinterpret_cast<HICON>(
        SendDlgItemMessageA(dialog, controlId, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
    if (replaced != icon && Forget(replaced)) DestroyIcon(replaced);
    Remember(icon);
    if (shell) FreeLibrary(shell);
}
