// The main dialog as the main routine builds it, the flow's texts in it, and SetStatusIcon.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <utility>

#include "DialogLayer.h"
#include "InstallerFlow.h"
#include "MainDialog.h"
#include "StatusIcon.h"
#include "support/IconChecks.h"

namespace {

constexpr UINT Continue = WM_APP + 1;

std::function<void(HWND)> atInit;  // what a test checks once the dialog is running

INT_PTR TestCallback(HWND dialog, UINT message, WPARAM, LPARAM) noexcept {
    if (message == WM_INITDIALOG) PostMessageA(dialog, Continue, 0, 0);
    if (message == Continue) {
        if (atInit) atInit(dialog);
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return 0;
}

void RunMainDialog(std::function<void(HWND)> check) {
    atInit = std::move(check);
    HWND dialog = BuildMainDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(0, RunModal(dialog, TestCallback));
    atInit = nullptr;
}

RECT ClientRectOf(HWND dialog, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

HICON ImageOf(HWND dialog, int id) {
    return reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, id, STM_GETIMAGE, IMAGE_ICON, 0));
}

TEST(MainDialog, OpensAsTheInstallerDescribesIt) {
    RunMainDialog([](HWND dialog) {
        char caption[32] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_STREQ("VLC Turnix", caption);
        RECT client{}, window{}, work{};
        GetClientRect(dialog, &client);
        EXPECT_EQ(360, client.right);
        EXPECT_EQ(90, client.bottom);
        GetWindowRect(dialog, &window);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_NEAR((work.left + work.right - (window.right - window.left)) / 2, window.left, 1) << "centred";
        EXPECT_NEAR((work.top + work.bottom - (window.bottom - window.top)) / 2, window.top, 1);
        EXPECT_EQ(nullptr, GetWindow(dialog, GW_OWNER));
        // Popup, caption, close box, modal frame; the layer adds centring, its font and the 3D look,
        // RunModal shows it, and the platform clips every top-level window from its siblings.
        const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
        EXPECT_EQ(0x80C808D4u, style & ~static_cast<DWORD>(WS_VISIBLE | WS_CLIPSIBLINGS))
            << std::hex << style;
        EXPECT_NE(0, SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
        EXPECT_NE(0, SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));

        struct Expected {
            int id;
            const char* cls;
            DWORD style;
            RECT box;
        };
        const Expected table[] = {
            {StatusImageId, "Static", 0x50000003, {8, 4, 56, 52}},
            {StatusLine1Id, "Static", 0x50000000, {70, 8, 320, 24}},
            {StatusLine2Id, "Static", 0x50000000, {70, 32, 320, 48}},
            {InstallButtonId, "Button", 0x50010000, {8, 56, 328, 80}},
            {LinkIconId, "Static", 0x50000103, {334, 60, 350, 76}},
        };
        for (const Expected& e : table) {
            SCOPED_TRACE(e.id);
            HWND control = GetDlgItem(dialog, e.id);
            ASSERT_NE(nullptr, control);
            char cls[32] = {};
            GetClassNameA(control, cls, sizeof cls);
            EXPECT_EQ(0, lstrcmpiA(e.cls, cls)) << cls;
            EXPECT_EQ(e.style, static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)));
            EXPECT_EQ(0, GetWindowLongA(control, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY);
            RECT box = ClientRectOf(dialog, e.id);
            EXPECT_EQ(e.box.left, box.left);
            EXPECT_EQ(e.box.top, box.top);
            EXPECT_EQ(e.box.right, box.right);
            EXPECT_EQ(e.box.bottom, box.bottom);
        }
        char text[64] = {};
        GetDlgItemTextA(dialog, InstallButtonId, text, sizeof text);
        EXPECT_STREQ("INSTALL TURNIX EXTENSION", text);
        GetDlgItemTextA(dialog, StatusLine1Id, text, sizeof text);
        EXPECT_STREQ("", text);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, InstallButtonId)));
        EXPECT_EQ(nullptr, ImageOf(dialog, StatusImageId));
        EXPECT_EQ(nullptr, ImageOf(dialog, LinkIconId));
    });
}

// Width in pixels of the text as the control draws it, in its own font.
int TextWidthIn(HWND control, const char* text) {
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    if (!font) return -1;
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

// A longer text wraps, and its 16-pixel line shows only the part before the break.
TEST(MainDialog, EveryStateTextFitsItsStatusLine) {
    RunMainDialog([](HWND dialog) {
        for (DisplayState state :
             {DisplayState::NotDetected, DisplayState::Ready, DisplayState::OverwriteWarning,
              DisplayState::Installed, DisplayState::InstallFailed, DisplayState::VlcCannotLoad}) {
            const StateView& view = ViewOf(state);
            for (const auto& [id, text] : {std::make_pair(StatusLine1Id, view.firstLine),
                                           std::make_pair(StatusLine2Id, view.secondLine)}) {
                HWND line = GetDlgItem(dialog, id);
                RECT box{};
                GetClientRect(line, &box);
                const int width = TextWidthIn(line, text);
                EXPECT_GT(width, 0) << "no font on control " << id;
                EXPECT_LE(width, box.right) << '"' << text << "\" on control " << id;
            }
        }
    });
}

TEST(SetStatusIcon, ShowsTheShellIconAfterTheNumberAtTheGivenSize) {
    HMODULE shell = LoadLibraryA("shell32.dll");
    HICON reference = static_cast<HICON>(LoadImageA(shell, MAKEINTRESOURCEA(7), IMAGE_ICON, 48, 48, 0));
    if (!reference) GTEST_SKIP() << "this shell32 has no icon resource 7";
    RunMainDialog([&](HWND dialog) {
        SetStatusIcon(dialog, StatusImageId, 6, 48);
        HICON shown = ImageOf(dialog, StatusImageId);
        ASSERT_NE(nullptr, shown);
        EXPECT_EQ(48, IconSize(shown).cx);
        // Same picture as resource 7: compare the colour bits.
        ICONINFO a{}, b{};
        ASSERT_TRUE(GetIconInfo(shown, &a));
        ASSERT_TRUE(GetIconInfo(reference, &b));
        BYTE bitsA[48 * 48 * 4] = {}, bitsB[48 * 48 * 4] = {};
        LONG na = GetBitmapBits(a.hbmColor, sizeof bitsA, bitsA);
        LONG nb = GetBitmapBits(b.hbmColor, sizeof bitsB, bitsB);
        EXPECT_EQ(na, nb);
        EXPECT_EQ(0, std::memcmp(bitsA, bitsB, sizeof bitsA));
        for (HBITMAP h : {a.hbmColor, a.hbmMask, b.hbmColor, b.hbmMask})
            DeleteObject(h);

        SetStatusIcon(dialog, LinkIconId, 6, 16);
        EXPECT_EQ(16, IconSize(ImageOf(dialog, LinkIconId)).cx);
    });
    DestroyIcon(reference);
    FreeLibrary(shell);
}

TEST(SetStatusIcon, NumberWithoutResourceClearsTheControlAndAMissingControlChangesNothing) {
    RunMainDialog([](HWND dialog) {
        SetStatusIcon(dialog, StatusImageId, 6, 48);
        SetStatusIcon(dialog, StatusImageId, 65000, 48);
        EXPECT_EQ(nullptr, ImageOf(dialog, StatusImageId));

        SetStatusIcon(dialog, StatusImageId, 6, 48);
        const HICON shown = ImageOf(dialog, StatusImageId);
        if (!shown) GTEST_SKIP() << "this shell32 has no icon resource 7";
        SetStatusIcon(dialog, 4242, 6, 48);  // no such control
        EXPECT_EQ(shown, ImageOf(dialog, StatusImageId));
        EXPECT_TRUE(IconAlive(shown)) << "the status icon still shown was destroyed";
    });
}

TEST(SetStatusIcon, ReplacedIconsAreFreedButOnlyItsOwn) {
    RunMainDialog([](HWND dialog) {
        SetStatusIcon(dialog, StatusImageId, 6, 48);
        HICON first = ImageOf(dialog, StatusImageId);
        if (!first) GTEST_SKIP() << "this shell32 has no icon resource 7";
        SetStatusIcon(dialog, StatusImageId, 6, 48);
        EXPECT_NE(first, ImageOf(dialog, StatusImageId));
        EXPECT_FALSE(IconAlive(first)) << "a state change must not leak the icon it replaces";

        HICON foreign = CopyIcon(LoadIcon(nullptr, IDI_INFORMATION));
        SendDlgItemMessageA(dialog, LinkIconId, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(foreign));
        SetStatusIcon(dialog, LinkIconId, 6, 16);
        EXPECT_TRUE(IconAlive(foreign)) << "an icon someone else placed stays theirs";
        DestroyIcon(foreign);
    });
}

}  // namespace
