#include "DialogRules.h"

#include <cstring>

DialogFont DefaultDialogFont() {
    DialogFont font{};
    const wchar_t face[] = L"MS Sans Serif";
    std::memcpy(font.face, face, sizeof face);
    font.points = 8;
    font.charset = ANSI_CHARSET;
    return font;
}

DWORD DialogStyle(DWORD style, bool hasParent, bool centred) {
    if (style == 0) style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK;
    style |= DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK;
    style &= ~static_cast<DWORD>(WS_VISIBLE | DS_SYSMODAL);
    if (centred) style |= DS_CENTER;
    if (style & WS_CHILD) {
        style &= ~static_cast<DWORD>(WS_POPUP | DS_ABSALIGN);
        if (!hasParent) style = (style & ~static_cast<DWORD>(WS_CHILD)) | WS_POPUP;
    }
    return style;
}

int ShowCommandFor(DWORD style) {
    if (style & WS_MAXIMIZE) return SW_SHOWMAXIMIZED;
    if (style & WS_MINIMIZE) return SW_MINIMIZE;
    return SW_SHOW;
}

WPARAM SizeTypeFor(int showCommand) {
    if (showCommand == SW_SHOWMAXIMIZED) return SIZE_MAXIMIZED;
    if (showCommand == SW_MINIMIZE) return SIZE_MINIMIZED;
    return SIZE_RESTORED;
}

namespace {

class TemplateWriter {
public:
    explicit TemplateWriter(DialogTemplate& out) : out_(out) { out_.size = 0; }
    void Word(unsigned value) {
        out_.bytes[out_.size++] = static_cast<BYTE>(value);
        out_.bytes[out_.size++] = static_cast<BYTE>(value >> 8);
    }
    void Dword(DWORD value) {
        Word(value & 0xFFFF);
        Word(value >> 16);
    }
    void Byte(unsigned value) { out_.bytes[out_.size++] = static_cast<BYTE>(value); }
    void Text(const wchar_t* text, std::size_t maxChars) {
        for (std::size_t i = 0; i < maxChars && text[i]; ++i)
            Word(text[i]);
        Word(0);
    }

private:
    DialogTemplate& out_;
};

}  // namespace

DialogTemplate BuildDialogTemplate(DWORD style, DWORD exStyle, int x, int y, int width, int height,
                                   const DialogFont& font) {
    DialogTemplate result{};
    TemplateWriter w(result);
    w.Word(1);       // dlgVer
    w.Word(0xFFFF);  // signature: extended template
    w.Dword(0);      // helpID
    w.Dword(exStyle);
    w.Dword(style);
    w.Word(0);  // cDlgItems: controls are created one by one later
    w.Word(static_cast<unsigned>(x) & 0xFFFF);
    w.Word(static_cast<unsigned>(y) & 0xFFFF);
    w.Word(static_cast<unsigned>(width) & 0xFFFF);
    w.Word(static_cast<unsigned>(height) & 0xFFFF);
    w.Word(0);        // no menu
    w.Word(0);        // the platform's dialog class
    w.Text(L" ", 1);  // the real caption is set in ANSI right after creation
    w.Word(font.points);
    w.Word(FW_NORMAL);
    w.Byte(0);  // not italic
    w.Byte(font.charset);
    w.Text(font.face, 31);
    return result;
}

const ControlRules* RulesFor(ControlKind kind) {
    constexpr DWORD VisibleChild = WS_CHILD | WS_VISIBLE;
    static const ControlRules button{"BUTTON", VisibleChild | WS_TABSTOP, VisibleChild, true};
    static const ControlRules label{"STATIC", VisibleChild, VisibleChild, true};
    static const ControlRules image{"STATIC", VisibleChild | SS_BITMAP, VisibleChild | SS_BITMAP, false};
    switch (kind) {
    case ControlKind::Button: return &button;
    case ControlKind::Label: return &label;
    case ControlKind::Image: return &image;
    }
    return nullptr;
}

DWORD ControlStyle(const ControlRules& rules, DWORD style) {
    return (style ? style : rules.defaultStyle) | rules.alwaysSet;
}

DWORD AsIconStyle(DWORD style) { return (style & ~static_cast<DWORD>(SS_BITMAP)) | SS_ICON; }

POINT CentreOn(const RECT& workArea, int width, int height) {
    // Signed halving: a window larger than the work area overhangs both sides evenly.
    return POINT{(workArea.left + workArea.right - width) / 2, (workArea.top + workArea.bottom - height) / 2};
}
