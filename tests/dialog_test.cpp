// The dialog layer's contract, on a dialog of its own (the main dialog's looks are
// maindialog_test's): build with NewDialog and AddControl, check the live windows inside the
// callback at WM_INITDIALOG, post messages to continue once the loop runs, and assert after
// RunModal returns.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "DialogLayer.h"
#include "DialogRules.h"
#include "WindowRegistry.h"
#include "support/IconChecks.h"

namespace {

constexpr DWORD PopupStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
// The layer's test dialog: a size of its own, and one control of each kind.
constexpr int Width = 300, Height = 120;
constexpr int StatusImage = 11, FirstLabel = 12, SecondLabel = 13, Button = 14, NotifyingImage = 15;
constexpr UINT Continue = WM_APP + 1;  // posted by a test to act once the loop runs

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool visible;
};

// What the callback saw, and what a test wants it to do; reset for every test.
struct CallbackState {
    std::vector<Seen> seen;
    std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> react;
};
CallbackState state;

INT_PTR RecordingCallback(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    state.seen.push_back({message, wParam, lParam, IsWindow(dialog) && IsWindowVisible(dialog)});
    return state.react ? state.react(dialog, message, wParam, lParam) : 0;
}

void PostClose(HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }

HWND BuildLayerDialog() {
    HWND dialog = NewDialog("Layer test", nullptr, CenterPosition, CenterPosition, Width, Height, PopupStyle,
                            0, PixelUnits);
    SetDialogIcon(dialog, "ICO1");
    AddControl(dialog, ControlKind::Image, StatusImage, "", 10, 10, 32, 32, 0, 0);
    AddControl(dialog, ControlKind::Label, FirstLabel, "", 50, 10, 200, 20, 0, 0);
    AddControl(dialog, ControlKind::Label, SecondLabel, "", 50, 40, 200, 20, 0, 0);
    AddControl(dialog, ControlKind::Button, Button, "Press", 10, 80, 200, 30, 0, 0);
    AddControl(dialog, ControlKind::Image, NotifyingImage, "", 260, 80, 32, 32, SS_NOTIFY, 0);
    return dialog;
}

std::vector<UINT> MessagesAmong(std::initializer_list<UINT> wanted) {
    std::vector<UINT> result;
    for (const Seen& s : state.seen)
        for (UINT w : wanted)
            if (s.message == w) result.push_back(s.message);
    return result;
}

int CommandsFrom(int id, int code) {
    int count = 0;
    for (const Seen& s : state.seen)
        if (s.message == WM_COMMAND && LOWORD(s.wParam) == id && HIWORD(s.wParam) == code) ++count;
    return count;
}

class DialogLayerTest : public ::testing::Test {
protected:
    void SetUp() override { state = CallbackState{}; }
    void TearDown() override { state = CallbackState{}; }
};

// ---- Decisions without windows -------------------------------------------------------

TEST(DialogRules, DialogStyleAddsTemplateBitsAndStaysHidden) {
    EXPECT_EQ(0x80C808D4u, DialogStyle(PopupStyle, false, true));
    EXPECT_EQ(0x80C800D4u, DialogStyle(PopupStyle, false, false));
    EXPECT_EQ(0x80C000D4u, DialogStyle(0, false, false)) << "0 takes the default style";
    EXPECT_EQ(0x80C800D4u, DialogStyle(PopupStyle | WS_VISIBLE | DS_SYSMODAL, false, false));
    // A child style needs a parent; without one the dialog becomes a popup.
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD | 0x54),
              DialogStyle(WS_CHILD | WS_POPUP | DS_ABSALIGN, true, false));
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | 0x54), DialogStyle(WS_CHILD | DS_ABSALIGN, false, false));
}

TEST(DialogRules, ShowCommandAndSizeTypeFollowTheStyle) {
    EXPECT_EQ(SW_SHOW, ShowCommandFor(PopupStyle));
    EXPECT_EQ(SW_SHOWMAXIMIZED, ShowCommandFor(WS_POPUP | WS_MAXIMIZE | WS_MINIMIZE));
    EXPECT_EQ(SW_MINIMIZE, ShowCommandFor(WS_POPUP | WS_MINIMIZE));
    EXPECT_EQ(static_cast<WPARAM>(SIZE_RESTORED), SizeTypeFor(SW_SHOW));
    EXPECT_EQ(static_cast<WPARAM>(SIZE_MAXIMIZED), SizeTypeFor(SW_SHOWMAXIMIZED));
    EXPECT_EQ(static_cast<WPARAM>(SIZE_MINIMIZED), SizeTypeFor(SW_MINIMIZE));
}

TEST(DialogRules, ControlStylesOfTheInstallersControls) {
    const ControlRules* image = RulesFor(ControlKind::Image);
    const ControlRules* label = RulesFor(ControlKind::Label);
    const ControlRules* button = RulesFor(ControlKind::Button);
    ASSERT_TRUE(image && label && button);
    EXPECT_EQ(0x50000003u, AsIconStyle(ControlStyle(*image, 0)));
    EXPECT_EQ(0x50000103u, AsIconStyle(ControlStyle(*image, SS_NOTIFY)));
    EXPECT_EQ(0x50000000u, ControlStyle(*label, 0));
    EXPECT_EQ(0x50010000u, ControlStyle(*button, 0));
    EXPECT_EQ(0x50000001u, ControlStyle(*button, BS_DEFPUSHBUTTON)) << "passed style only gains the set bits";
    EXPECT_STREQ("BUTTON", button->windowClass);
    EXPECT_STREQ("STATIC", image->windowClass);
    EXPECT_FALSE(image->hasWindowText);
    EXPECT_EQ(nullptr, RulesFor(static_cast<ControlKind>(3)));
}

TEST(DialogRules, CentringOnTheWorkArea) {
    RECT work{0, 0, 1280, 770};
    POINT at = CentreOn(work, 366, 119);
    EXPECT_EQ(457, at.x);
    EXPECT_EQ(325, at.y);
    RECT shifted{100, 40, 1380, 800};
    at = CentreOn(shifted, 200, 100);
    EXPECT_EQ(640, at.x);
    EXPECT_EQ(370, at.y);
    // Wider than the work area: overhang on both sides, not a position far off screen.
    at = CentreOn(work, 1480, 970);
    EXPECT_EQ(-100, at.x);
    EXPECT_EQ(-100, at.y);
}

TEST(DialogRules, TemplateFollowsTheExtendedLayout) {
    DialogFont font = DefaultDialogFont();
    DialogTemplate t = BuildDialogTemplate(0x80C808D4, 0x12345678, CenterPosition, -2, 360, 70000, font);
    auto word = [&](std::size_t at) {
        return static_cast<unsigned>(t.bytes[at] | t.bytes[at + 1] << 8);
    };
    auto dword = [&](std::size_t at) {
        return word(at) | word(at + 2) << 16;
    };
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(t.bytes) % 4) << "the platform wants DWORD alignment";
    EXPECT_EQ(1u, word(0));
    EXPECT_EQ(0xFFFFu, word(2));
    EXPECT_EQ(0u, dword(4));            // helpID
    EXPECT_EQ(0x12345678u, dword(8));   // exStyle
    EXPECT_EQ(0x80C808D4u, dword(12));  // style
    EXPECT_EQ(0u, word(16));            // cDlgItems
    EXPECT_EQ(0u, word(18));            // x: low 16 bits of 0x80000000
    EXPECT_EQ(0xFFFEu, word(20));
    EXPECT_EQ(360u, word(22));
    EXPECT_EQ(70000u & 0xFFFF, word(24));
    EXPECT_EQ(0u, word(26));  // menu
    EXPECT_EQ(0u, word(28));  // class
    EXPECT_EQ(static_cast<unsigned>(' '), word(30));
    EXPECT_EQ(0u, word(32));
    EXPECT_EQ(8u, word(34));    // pointsize
    EXPECT_EQ(400u, word(36));  // weight
    EXPECT_EQ(0, t.bytes[38]);  // italic
    EXPECT_EQ(0, t.bytes[39]);  // charset
    const char face[] = "MS Sans Serif";
    for (std::size_t i = 0; i < sizeof face; ++i)
        EXPECT_EQ(static_cast<unsigned>(face[i]), word(40 + 2 * i)) << i;
    EXPECT_EQ(40 + 2 * sizeof face, t.size);

    // A face longer than 31 characters is cut there, still terminated.
    for (wchar_t& c : font.face)
        c = L'x';
    t = BuildDialogTemplate(0, 0, 0, 0, 1, 1, font);
    EXPECT_EQ(40u + 2 * 32, t.size);
    EXPECT_EQ(0u, word(40 + 2 * 31));
}

// ---- The window registry ---------------------------------------------------------------

struct PendingLookup {
    WindowRegistry* registry;
    HWND window;
    HANDLE started;
    bool found;
};

DWORD WINAPI LookUp(void* context) {
    auto* lookup = static_cast<PendingLookup*>(context);
    SetEvent(lookup->started);
    DialogRecord record;
    lookup->found = lookup->registry->FindDialog(lookup->window, &record);
    return 0;
}

// A lookup that waits for the lock must search the records as they are once it holds it, not as
// they were when it started: a record removed meanwhile is gone.
TEST(WindowRegistryTest, ALookupWaitingForTheLockDoesNotSeeARecordRemovedMeanwhile) {
    WindowRegistry registry;
    DialogRecord record;
    record.window = reinterpret_cast<HWND>(0x1234);
    ASSERT_TRUE(registry.AddDialog(record));
    PendingLookup lookup{&registry, record.window, CreateEventA(nullptr, TRUE, FALSE, nullptr), true};
    HANDLE thread = nullptr;
    // A change runs under the lock: the lookup starts meanwhile, and is stopped while it waits.
    registry.UpdateDialog(record.window, [&](DialogRecord&) {
        thread = CreateThread(nullptr, 0, LookUp, &lookup, 0, nullptr);
        if (!thread) return;
        WaitForSingleObject(lookup.started, INFINITE);
        Sleep(200);  // time to reach the lock
        SuspendThread(thread);
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        GetThreadContext(thread, &context);  // returns once the thread has really stopped
    });
    ASSERT_NE(nullptr, thread);
    RemovedRecords removed;
    registry.RemoveDialog(record.window, &removed);
    ResumeThread(thread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10000));
    EXPECT_FALSE(lookup.found);
    CloseHandle(thread);
    CloseHandle(lookup.started);
}

// ---- The live dialog -----------------------------------------------------------------

TEST_F(DialogLayerTest, OpeningReachesTheCallbackOnceBeforeTheDialogIsShown) {
    int controlsAtInit = 0;
    bool sawSize = false;
    state.react = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG)
            for (int id : {StatusImage, FirstLabel, SecondLabel, Button, NotifyingImage})
                controlsAtInit += GetDlgItem(dialog, id) != nullptr;
        if (message == WM_SIZE && !sawSize) {
            sawSize = true;
            PostClose(dialog);
        }
        return 0;
    };
    HWND dialog = BuildLayerDialog();
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(0, RunModal(dialog, RecordingCallback));

    ASSERT_GE(state.seen.size(), 2u);
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), state.seen[0].message);
    EXPECT_EQ(reinterpret_cast<WPARAM>(dialog), state.seen[0].wParam);
    EXPECT_EQ(0, state.seen[0].lParam);
    EXPECT_FALSE(state.seen[0].visible);
    EXPECT_EQ(5, controlsAtInit);
    EXPECT_EQ(static_cast<UINT>(WM_SIZE), state.seen[1].message);
    EXPECT_EQ(static_cast<WPARAM>(SIZE_RESTORED), state.seen[1].wParam);
    EXPECT_EQ(Width, LOWORD(state.seen[1].lParam));
    EXPECT_EQ(Height, HIWORD(state.seen[1].lParam));
    EXPECT_FALSE(state.seen[1].visible);
    EXPECT_EQ(1u, MessagesAmong({WM_INITDIALOG}).size()) << "the platform's own WM_INITDIALOG is absorbed";
    EXPECT_FALSE(IsWindow(dialog));
}

// In pixel units the client area has exactly the size asked for, whatever the frame; the
// window is centred on the work area; every control gets the dialog's font.
TEST_F(DialogLayerTest, ShownCentredWithTheExactClientSizeAndTheDialogFont) {
    RECT client{}, window{}, work{};
    HFONT dialogFont = nullptr, controlFont = nullptr;
    bool visibleInLoop = false;
    char face[LF_FACESIZE] = {};
    state.react = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            PostMessageA(dialog, Continue, 0, 0);
        } else if (message == Continue) {
            visibleInLoop = IsWindowVisible(dialog) != FALSE;
            GetClientRect(dialog, &client);
            GetWindowRect(dialog, &window);
            SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
            dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
            controlFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(dialog, Button, WM_GETFONT, 0, 0));
            LOGFONTA font{};
            if (GetObjectA(dialogFont, sizeof font, &font)) std::strcpy(face, font.lfFaceName);
            PostClose(dialog);
        }
        return 0;
    };
    RunModal(BuildLayerDialog(), RecordingCallback);

    EXPECT_TRUE(visibleInLoop);
    EXPECT_EQ(Width, client.right - client.left);
    EXPECT_EQ(Height, client.bottom - client.top);
    const long width = window.right - window.left, height = window.bottom - window.top;
    EXPECT_NEAR((work.left + work.right - width) / 2, window.left, 1) << "centred on the work area";
    EXPECT_NEAR((work.top + work.bottom - height) / 2, window.top, 1);
    EXPECT_STREQ("MS Sans Serif", face);
    EXPECT_NE(nullptr, dialogFont);
    EXPECT_EQ(dialogFont, controlFont) << "every control gets the dialog's font";
}

TEST_F(DialogLayerTest, CloseCommandEndsWithZeroAndTheseMessagesInOrder) {
    state.react = [](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) PostClose(dialog);
        return 0;
    };
    EXPECT_EQ(0, RunModal(BuildLayerDialog(), RecordingCallback));
    std::vector<UINT> order = MessagesAmong({WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY});
    std::vector<UINT> expected{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY, WM_NCDESTROY};
    EXPECT_EQ(expected, order);
}

TEST_F(DialogLayerTest, EndValueGivenToCloseDialogReachesRunModal) {
    state.react = [](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) PostMessageA(dialog, Continue, 0, 0);
        if (message == Continue) CloseDialog(dialog, -7);
        return 0;
    };
    EXPECT_EQ(-7, RunModal(BuildLayerDialog(), RecordingCallback));
}

TEST_F(DialogLayerTest, CallbackThatHandlesTheCloseCommandKeepsTheDialogOpen) {
    int closeCommands = 0;
    bool openAfterRefusal = false;
    state.react = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) PostClose(dialog);
        if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE && ++closeCommands == 1) {
            PostMessageA(dialog, Continue, 0, 0);
            return 1;
        }
        if (message == Continue) {
            openAfterRefusal = IsWindow(dialog) && IsWindowVisible(dialog);
            PostClose(dialog);
        }
        return 0;
    };
    EXPECT_EQ(0, RunModal(BuildLayerDialog(), RecordingCallback));
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(2, closeCommands);
    EXPECT_EQ(1u, MessagesAmong({WM_CLOSE}).size());
}

TEST_F(DialogLayerTest, EscapeSendsIdCancelButDoesNotClose) {
    bool shownAfterEscape = false;
    state.react = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            PostMessageA(GetDlgItem(dialog, Button), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageA(dialog, Continue, 0, 0);
        }
        if (message == Continue) {
            shownAfterEscape = IsWindow(dialog) && IsWindowVisible(dialog) && IsWindowEnabled(dialog);
            PostClose(dialog);
        }
        return 0;
    };
    RunModal(BuildLayerDialog(), RecordingCallback);
    EXPECT_EQ(1, CommandsFrom(IDCANCEL, 0));
    EXPECT_TRUE(shownAfterEscape) << "open, visible and enabled";
}

TEST_F(DialogLayerTest, OnlyTheNotifyingImageReportsClicks) {
    state.react = [](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            for (int id : {StatusImage, FirstLabel, SecondLabel, NotifyingImage}) {
                HWND control = GetDlgItem(dialog, id);
                PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
                PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
            }
            PostMessageA(GetDlgItem(dialog, NotifyingImage), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
            PostMessageA(GetDlgItem(dialog, StatusImage), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
            PostClose(dialog);
        }
        return 0;
    };
    RunModal(BuildLayerDialog(), RecordingCallback);
    EXPECT_EQ(1, CommandsFrom(NotifyingImage, STN_CLICKED));
    EXPECT_EQ(1, CommandsFrom(NotifyingImage, STN_DBLCLK));
    EXPECT_EQ(0, CommandsFrom(StatusImage, STN_CLICKED) + CommandsFrom(StatusImage, STN_DBLCLK));
    EXPECT_EQ(0, CommandsFrom(FirstLabel, STN_CLICKED) + CommandsFrom(SecondLabel, STN_CLICKED));
}

TEST_F(DialogLayerTest, TextAndEnablingActOnTheFoundControlOnly) {
    char text[64] = {}, caption[64] = {};
    bool buttonEnabled = true, dialogEnabledBefore = false, dialogEnabled = true;
    state.react = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message != WM_INITDIALOG) return 0;
        SetControlText(dialog, FirstLabel, "Caf\xE9 ready");
        SetControlText(dialog, 4242, "nobody");
        GetDlgItemTextA(dialog, FirstLabel, text, sizeof text);
        GetWindowTextA(dialog, caption, sizeof caption);
        EnableControl(dialog, Button, false);
        EnableControl(dialog, 4242, false);
        buttonEnabled = IsWindowEnabled(GetDlgItem(dialog, Button)) != FALSE;
        dialogEnabledBefore = IsWindowEnabled(dialog) != FALSE;
        EnableControl(dialog, DialogItself, false);
        dialogEnabled = IsWindowEnabled(dialog) != FALSE;
        EnableControl(dialog, DialogItself, true);
        PostClose(dialog);
        return 0;
    };
    RunModal(BuildLayerDialog(), RecordingCallback);
    EXPECT_STREQ("Caf\xE9 ready", text);
    EXPECT_STREQ("Layer test", caption) << "an unknown id fell back to the dialog";
    EXPECT_FALSE(buttonEnabled);
    EXPECT_TRUE(dialogEnabledBefore) << "an unknown id fell back to the dialog";
    EXPECT_FALSE(dialogEnabled);
}

TEST_F(DialogLayerTest, LayerDestroysItsOwnIconsButNotImagesPlacedFromOutside) {
    HICON big = nullptr, small = nullptr, namedImage = nullptr, startImage = nullptr;
    HICON outside = LoadIcon(nullptr, IDI_WARNING);
    HICON outsideCopy = CopyIcon(outside);
    state.react = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message != WM_INITDIALOG) return 0;
        big = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
        small = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
        startImage =
            reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, StatusImage, STM_GETIMAGE, IMAGE_ICON, 0));
        SendDlgItemMessageA(dialog, StatusImage, STM_SETIMAGE, IMAGE_ICON,
                            reinterpret_cast<LPARAM>(outsideCopy));
        namedImage = reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, 16, STM_GETIMAGE, IMAGE_ICON, 0));
        PostClose(dialog);
        return 0;
    };
    HWND dialog = BuildLayerDialog();
    AddControl(dialog, ControlKind::Image, 16, "ico1", 0, 0, 32, 32, 0, 0);
    RunModal(dialog, RecordingCallback);

    EXPECT_EQ(nullptr, startImage) << "an empty name leaves the image control empty";
    ASSERT_NE(nullptr, big);
    ASSERT_NE(nullptr, small);
    ASSERT_NE(nullptr, namedImage) << "names are found without regard to case";
    EXPECT_FALSE(IconAlive(big));
    EXPECT_FALSE(IconAlive(small));
    EXPECT_FALSE(IconAlive(namedImage));
    EXPECT_TRUE(IconAlive(outsideCopy)) << "an image set from outside stays its owner's";
    DestroyIcon(outsideCopy);
}

TEST_F(DialogLayerTest, CaptionIconsAreScaledFromTheIconGroup) {
    SIZE big{}, small{};
    state.react = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message != WM_INITDIALOG) return 0;
        big = IconSize(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0)));
        small = IconSize(reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0)));
        PostClose(dialog);
        return 0;
    };
    RunModal(BuildLayerDialog(), RecordingCallback);
    EXPECT_EQ(32, big.cx);
    EXPECT_EQ(32, big.cy);
    EXPECT_EQ(16, small.cx);
    EXPECT_EQ(16, small.cy);
}

TEST_F(DialogLayerTest, MissingIconGroupLeavesTheDialogWithoutIcons) {
    HWND dialog = NewDialog("x", nullptr, 10, 10, 100, 50, 0, 0, PixelUnits);
    ASSERT_NE(nullptr, dialog);
    SetDialogIcon(dialog, "NO_SUCH_ICON");
    EXPECT_EQ(0, SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
    EXPECT_EQ(0, SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0));
    DestroyWindow(dialog);
}

TEST_F(DialogLayerTest, CallbackClaimingNcDestroyStillFreesTheLayersIcons) {
    HICON big = nullptr;
    state.react = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            big = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
            PostClose(dialog);
        }
        return message == WM_NCDESTROY ? 1 : 0;
    };
    RunModal(BuildLayerDialog(), RecordingCallback);
    ASSERT_NE(nullptr, big);
    EXPECT_FALSE(IconAlive(big));
}

TEST_F(DialogLayerTest, HandlesTheLayerDidNotMakeAreLeftAlone) {
    // A null dialog still gets its opening, then RunModal returns without a loop.
    EXPECT_EQ(0, RunModal(nullptr, RecordingCallback));
    ASSERT_EQ(2u, state.seen.size());
    EXPECT_EQ(static_cast<UINT>(WM_INITDIALOG), state.seen[0].message);
    EXPECT_EQ(0u, state.seen[0].wParam);
    EXPECT_EQ(static_cast<UINT>(WM_SIZE), state.seen[1].message);
    EXPECT_EQ(0, state.seen[1].lParam);

    HWND stranger =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, stranger);
    AddControl(stranger, ControlKind::Button, 7, "b", 0, 0, 10, 10, 0, 0);
    SetDialogIcon(stranger, "ICO1");
    EXPECT_EQ(nullptr, GetDlgItem(stranger, 7));
    EXPECT_EQ(0, SendMessageA(stranger, WM_GETICON, ICON_BIG, 0));
    DestroyWindow(stranger);
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int WindowsOfThisThread() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(DialogLayerTest, ADialogBeyondTheRegistrysSlotsIsRefusedLikeAFailedWindow) {
    std::vector<HWND> dialogs;
    for (int i = 0; i < MaxDialogs; ++i)
        dialogs.push_back(NewDialog("slot", nullptr, 0, 0, 50, 20, 0, 0, PixelUnits));
    const int windows = WindowsOfThisThread();
    EXPECT_EQ(nullptr, NewDialog("one too many", nullptr, 0, 0, 50, 20, 0, 0, PixelUnits));
    EXPECT_EQ(windows, WindowsOfThisThread()) << "the refused dialog's window is gone";
    for (HWND dialog : dialogs) {
        EXPECT_NE(nullptr, dialog);
        DestroyWindow(dialog);
    }
    HWND again = NewDialog("slot freed", nullptr, 0, 0, 50, 20, 0, 0, PixelUnits);
    EXPECT_NE(nullptr, again) << "a destroyed dialog gives its slot back";
    DestroyWindow(again);
}

TEST_F(DialogLayerTest, DialogUnitsMapControlRectanglesThroughTheDialogFont) {
    HWND dialog = NewDialog("units", nullptr, 0, 0, 100, 40, 0, 0, 0);
    ASSERT_NE(nullptr, dialog);
    AddControl(dialog, ControlKind::Label, 1, "x", 10, 8, 40, 12, 0, 0);
    RECT expected{10, 8, 50, 20};
    MapDialogRect(dialog, &expected);
    RECT actual{};
    GetWindowRect(GetDlgItem(dialog, 1), &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(expected.left, actual.left);
    EXPECT_EQ(expected.top, actual.top);
    EXPECT_EQ(expected.right, actual.right);
    EXPECT_EQ(expected.bottom, actual.bottom);
    EXPECT_NE(expected.right - expected.left, 40) << "dialog units are not pixels";
    DestroyWindow(dialog);
}

}  // namespace
