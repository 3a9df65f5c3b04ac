#include "DialogLayer.h"

#include <utility>

#include "DialogRules.h"
#include "ScopedWin.h"
#include "ThreadState.h"
#include "WindowRegistry.h"

namespace {

// The command of a WM_SYSCOMMAND: the platform keeps the low four bits for itself.
constexpr WPARAM SystemCommandBits = 0xFFF0;

// Constant-initialised: no start-up code and no guard around first use.
WindowRegistry registry;

HINSTANCE Program() { return GetModuleHandleA(nullptr); }

// An image the layer owns ends here, through an owner that goes at once.
void DestroyImage(HANDLE image, bool isIcon) {
    if (isIcon)
        UniqueIcon{static_cast<HICON>(image)};
    else
        UniqueGdiObject{image};
}

void ReleaseDialog(HWND dialog) {
    RemovedRecords removed;
    registry.RemoveDialog(dialog, &removed);
    DestroyImage(removed.dialog.bigIcon, true);
    DestroyImage(removed.dialog.smallIcon, true);
    for (const ControlRecord& r : removed.controls)
        DestroyImage(r.image, r.imageIsIcon);
}

HWND OwnerOf(HWND dialog) {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(GetWindowLongA(dialog, GWL_HWNDPARENT)));
}

INT_PTR CALLBACK LayerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // The platform's own WM_INITDIALOG comes before any callback is attached; RunModal
    // delivers the one the callback sees.
    if (message == WM_INITDIALOG) return FALSE;

    DialogRecord record;
    if (registry.FindDialog(dialog, &record) && record.callback) {
        INT_PTR result = record.callback(dialog, message, wParam, lParam);
        if (result != 0) {
            if (GetWindowLongPtrA(dialog, DWLP_MSGRESULT) == 0)
                SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
            // A callback that claims WM_NCDESTROY must not keep records of a dead handle.
            if (message == WM_NCDESTROY) ReleaseDialog(dialog);
            return result;
        }
    }
    switch (message) {
    case WM_SYSCOMMAND:
        if ((wParam & SystemCommandBits) == SC_CLOSE) {
            CloseDialog(dialog, 0);
            return TRUE;
        }
        break;
    case WM_NCDESTROY: ReleaseDialog(dialog); break;
    }
    return FALSE;
}

POINT Placement(HWND parent, DWORD style, int x, int y, int width, int height) {
    if (style & DS_CENTER) {
        RECT work{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        return CentreOn(work, width, height);
    }
    POINT at{x, y};
    if (!(style & (WS_CHILD | DS_ABSALIGN))) {
        if (parent) ClientToScreen(parent, &at);
    } else if (!((style & WS_CHILD) && (style & DS_CONTROL))) {
        if (at.x < 0) at.x = 0;
        if (at.y < 0) at.y = 0;
    }
    return at;
}

// Grows the window by its frame so that the client area has the requested size.
void PlaceInPixels(HWND dialog, HWND parent, DWORD style, int x, int y, int width, int height) {
    RECT window{}, client{};
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    width += (window.right - window.left) - (client.right - client.left);
    height += (window.bottom - window.top) - (client.bottom - client.top);
    POINT at = Placement(parent, style, x, y, width, height);
    SetWindowPos(dialog, nullptr, at.x, at.y, width, height,
                 SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOOWNERZORDER |
                     SWP_NOSENDCHANGING);
}

bool NamesBitmap(const char* name) {
    // FindResourceA compares names without regard to case and reads "#123" as id 123.
    return name && *name && FindResourceA(Program(), name, RT_BITMAP) != nullptr;
}

// Shows the image in a control the layer made, which owns it from then on and destroys what it
// placed there before. Without such a control the image is destroyed at once.
void PlaceImage(HWND control, HANDLE image, bool isIcon) {
    ControlRecord before;
    const bool known = registry.UpdateControl(control, [&](ControlRecord& r) {
        before = r;
        r.image = image;
        r.imageIsIcon = isIcon;
    });
    if (!known) return DestroyImage(image, isIcon);
    SendMessageA(control, STM_SETIMAGE, isIcon ? IMAGE_ICON : IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
    if (before.image != image) DestroyImage(before.image, before.imageIsIcon);
}

// Sets one caption icon and destroys the one the layer had loaded before it.
void SetCaptionIcon(HWND dialog, HICON icon, bool big) {
    SendMessageA(dialog, WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    HICON replaced = nullptr;
    registry.UpdateDialog(dialog, [&](DialogRecord& r) {
        replaced = std::exchange(big ? r.bigIcon : r.smallIcon, icon);
    });
    if (replaced != icon) DestroyImage(replaced, true);
}

}  // namespace

HWND NewDialog(const char* caption, HWND parent, int x, int y, int width, int height, DWORD style,
               DWORD exStyle, int units) {
    const bool centred = x == CenterPosition || y == CenterPosition;
    style = DialogStyle(style, parent != nullptr, centred);
    const DialogTemplate dialogTemplate =
        BuildDialogTemplate(style, exStyle, x, y, width, height, CurrentDialogFont());
    HWND dialog = CreateDialogIndirectParamA(
        Program(), reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.bytes), parent, LayerDialogProc, 0);
    if (!dialog) return nullptr;

    if (units & PixelUnits) PlaceInPixels(dialog, parent, style, x, y, width, height);
    SetWindowTextA(dialog, caption);

    DialogRecord record;
    record.window = dialog;
    record.units = units;
    record.showCommand = ShowCommandFor(style);
    record.font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (!registry.AddDialog(record)) {
        DestroyWindow(dialog);
        return nullptr;
    }
    return dialog;
}

void SetDialogIcon(HWND dialog, const char* iconName) {
    DialogRecord record;
    if (!registry.FindDialog(dialog, &record)) return;
    HICON big = static_cast<HICON>(LoadImageA(Program(), iconName, IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    if (!big) return;
    SetCaptionIcon(dialog, big, true);
    HICON small = static_cast<HICON>(LoadImageA(Program(), iconName, IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    if (small) SetCaptionIcon(dialog, small, false);
}

void AddControl(HWND dialog, ControlKind kind, int id, const char* text, int x, int y, int width, int height,
                DWORD style, DWORD exStyle) {
    DialogRecord dialogRecord;
    const ControlRules* rules = RulesFor(kind);
    if (!rules || !registry.FindDialog(dialog, &dialogRecord)) return;

    RECT box{x, y, x + width, y + height};
    if (!(dialogRecord.units & PixelUnits)) {
        MapDialogRect(dialog, &box);
        x = box.left;
        y = box.top;
        width = box.right - box.left;
        height = box.bottom - box.top;
    }
    style = ControlStyle(*rules, style);
    bool imageIsIcon = false;
    if (kind == ControlKind::Image && !NamesBitmap(text)) {
        style = AsIconStyle(style);
        imageIsIcon = true;
    }
    HWND control = CreateWindowExA(exStyle, rules->windowClass, rules->hasWindowText ? text : nullptr, style,
                                   x, y, width, height, dialog,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Program(), nullptr);
    if (!control) return;
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogRecord.font), TRUE);

    ControlRecord record;
    record.window = control;
    record.dialog = dialog;
    if (!registry.AddControl(record)) return;

    if (kind == ControlKind::Button && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
        SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(id), 0);
    if (kind != ControlKind::Image || !text || !*text) return;
    HANDLE image =
        LoadImageA(Program(), text, imageIsIcon ? IMAGE_ICON : IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS);
    if (image) PlaceImage(control, image, imageIsIcon);
}

void SetControlText(HWND dialog, int id, const char* text) {
    if (HWND control = GetDlgItem(dialog, id)) SetWindowTextA(control, text);
}

void SetControlIcon(HWND dialog, int id, HICON icon) { PlaceImage(GetDlgItem(dialog, id), icon, true); }

void EnableControl(HWND dialog, int id, bool enable) {
    HWND target = id == DialogItself ? dialog : GetDlgItem(dialog, id);
    if (target) EnableWindow(target, enable);
}

INT_PTR RunModal(HWND dialog, DialogCallback callback) {
    DialogRecord record;
    const bool known = registry.FindDialog(dialog, &record);
    if (callback) {
        RECT client{};
        GetClientRect(dialog, &client);
        callback(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(dialog), 0);
        callback(dialog, WM_SIZE, SizeTypeFor(known ? record.showCommand : SW_SHOW),
                 MAKELPARAM(client.right - client.left, client.bottom - client.top));
    }
    INT_PTR endValue = 0;
    if (!known || !registry.UpdateDialog(dialog, [&](DialogRecord& r) {
            r.callback = callback;
            r.endValue = &endValue;
        }))
        return endValue;

    HWND owner = OwnerOf(dialog);
    if (owner) {
        SendMessageA(owner, WM_CANCELMODE, 0, 0);
        EnableWindow(owner, FALSE);
    }
    ShowWindow(dialog, record.showCommand);

    // The dialog can be gone before the loop starts: the callback may destroy it.
    while (IsWindow(dialog)) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (owner) SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(dialog));
            Sleep(1);
            continue;
        }
        // A message sent from elsewhere during PeekMessageA may have closed the dialog.
        if (IsWindow(dialog) && IsDialogMessageA(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (owner) SetFocus(owner);
    return endValue;
}

void CloseDialog(HWND dialog, INT_PTR endValue) {
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    HWND owner = OwnerOf(dialog);
    const bool enabledOwner = owner && !IsWindowEnabled(owner);
    if (enabledOwner) EnableWindow(owner, TRUE);
    DialogRecord record;
    if (registry.FindDialog(dialog, &record) && record.endValue) *record.endValue = endValue;
    if (!DestroyWindow(dialog) && enabledOwner) EnableWindow(owner, FALSE);
}
