#pragma once
// The decisions of the dialog layer that need no window: styles, template bytes,
// placement. Kept apart so that they can be checked on their own.
#include <windows.h>
#include <cstddef>

#include "DialogLayer.h"

// Always of normal weight and not italic.
struct DialogFont {
    wchar_t face[32];  // UTF-16, at most 31 characters
    WORD points;
    BYTE charset;
};

// "MS Sans Serif", 8 points, ANSI_CHARSET.
DialogFont DefaultDialogFont();

// The style the dialog window is created with (always hidden, always with its font).
DWORD DialogStyle(DWORD style, bool hasParent, bool centred);
// SW_SHOWMAXIMIZED, SW_MINIMIZE or SW_SHOW, after the window style.
int ShowCommandFor(DWORD style);
// The WM_SIZE type that matches a show command of ShowCommandFor.
WPARAM SizeTypeFor(int showCommand);

// An extended dialog template (DLGTEMPLATEEX) without items; DWORD aligned as the platform asks.
struct DialogTemplate {
    alignas(4) BYTE bytes[128];
    std::size_t size;
};
DialogTemplate BuildDialogTemplate(DWORD style, DWORD exStyle, int x, int y, int width, int height,
                                   const DialogFont& font);

struct ControlRules {
    const char* windowClass;
    DWORD defaultStyle;
    DWORD alwaysSet;
    bool hasWindowText;
};
// nullptr for a kind the layer does not offer.
const ControlRules* RulesFor(ControlKind kind);
DWORD ControlStyle(const ControlRules& rules, DWORD style);
// An Image control without a bitmap of that name shows an icon instead.
DWORD AsIconStyle(DWORD style);

// Top-left corner that centres a window of this size on the work area.
POINT CentreOn(const RECT& workArea, int width, int height);
