// The installer flow through its seam, grouped by its state table. The fakes keep what the user
// sees (each control's texts, icon and enabled state) and the questions the flow asks in order
// (the registry, VLC's settings, the scripts' presence, the install and the judging); each case
// checks those, not every call made to show a state.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "InstallerFlow.h"
#include "support/StateTexts.h"

namespace {

const HWND Dialog = reinterpret_cast<HWND>(0x4711);
const char VlcFolder[] = "C:\\Program Files\\VideoLAN\\VLC";

struct Control {
    std::string text;
    bool enabled = true;
    int icon = -1;
    int iconSize = 0;
};

// What the fakes see and answer; reset by every case.
struct World {
    std::vector<std::string> asked;
    std::map<int, Control> controls;
    std::map<std::string, std::string> registry;  // by view ("default" or "64") and value name
    bool settingsFound = false;                   // VLC's settings files below the roaming folder
    bool present[2] = {false, false};             // before installing
    bool installWorks[2] = {true, true};          // the file holds its script afterwards
    bool holds[2] = {false, false};
    bool survives[2] = {true, true};  // the path comes back whole from the ANSI code page
    bool wrongHwnd = false;
};
World world;

Control& Shown(HWND dialog, int id) {
    if (dialog != Dialog) world.wrongHwnd = true;
    return world.controls[id];
}
void FakeSetStatusIcon(HWND dialog, int id, int number, int size) {
    Control& control = Shown(dialog, id);
    control.icon = number;
    control.iconSize = size;
}
void FakeSetControlText(HWND dialog, int id, const char* text) { Shown(dialog, id).text = text; }
void FakeEnableControl(HWND dialog, int id, bool enable) { Shown(dialog, id).enabled = enable; }
std::string FakeReadRegValue(HKEY root, const std::string& keyPath, const std::string& name,
                             RegistryView view) {
    const std::string where = view == RegistryView::Wow64_64 ? "64" : "default";
    world.asked.push_back(std::string("reg ") + (root == HKEY_LOCAL_MACHINE ? "HKLM " : "other ") + keyPath +
                          " [" + name + "] " + where);
    return world.registry[where + " " + name];
}
bool FakeVlcSettingsFound() {
    world.asked.push_back("settings?");
    return world.settingsFound;
}
bool FakeAnyScriptPresent() {
    world.asked.push_back("any present?");
    return world.present[0] || world.present[1];
}
void FakeInstallScripts() {
    world.asked.push_back("install");
    for (int i = 0; i < 2; ++i) {
        if (world.installWorks[i]) world.holds[i] = true;
        world.present[i] = world.present[i] || world.installWorks[i];
    }
}
bool FakeBothScriptsHeld() {
    world.asked.push_back("both held?");
    return world.holds[0] && world.holds[1];
}
bool FakeBothPathsVlcCanOpen() {
    world.asked.push_back("both open?");
    return world.survives[0] && world.survives[1];
}
HINSTANCE WINAPI FakeShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                  INT show) {
    auto quoted = [](LPCSTR s) {
        return s ? "'" + std::string(s) + "'" : std::string("null");
    };
    world.asked.push_back(std::string("shell ") + (owner ? "owner " : "") + quoted(verb) + " " +
                          quoted(file) + " " + quoted(parameters) + " " + quoted(directory) + " " +
                          std::to_string(show));
    return reinterpret_cast<HINSTANCE>(2);  // "file not found": the flow must not care
}

const FlowPlatform Fakes = {FakeSetStatusIcon,  FakeSetControlText,   FakeEnableControl,
                            FakeReadRegValue,   FakeVlcSettingsFound, FakeAnyScriptPresent,
                            FakeInstallScripts, FakeBothScriptsHeld,  FakeBothPathsVlcCanOpen,
                            FakeShellExecute};

using Asked = std::vector<std::string>;

const char DefaultValue32[] = "reg HKLM SOFTWARE\\VideoLAN\\VLC [] default";
const char InstallDir32[] = "reg HKLM SOFTWARE\\VideoLAN\\VLC [InstallDir] default";
const char DefaultValue64[] = "reg HKLM SOFTWARE\\VideoLAN\\VLC [] 64";
const char InstallDir64[] = "reg HKLM SOFTWARE\\VideoLAN\\VLC [InstallDir] 64";
const Asked InstallAndJudge = {"install", "both held?", "both open?"};

// A state as the user sees it: its "shell32.dll" icon at 48 x 48, both lines, and the button.
struct Seen {
    int icon;
    StateTexts lines;
};
const Seen NotDetected = {22, shown::NotDetected};
const Seen Ready = {6, shown::Ready};
const Seen Warning = {132, shown::Warning};
const Seen Installed = {41, shown::Installed};
const Seen Failed = {53, shown::Failed};
const Seen CannotLoad = {53, shown::CannotLoad};

void ExpectShows(const Seen& state, const char* caption, bool enabled) {
    const Control& image = world.controls[1001];
    EXPECT_EQ(state.icon, image.icon) << "status icon";
    EXPECT_EQ(48, image.iconSize);
    EXPECT_EQ(state.lines.firstLine, world.controls[1002].text);
    EXPECT_EQ(state.lines.secondLine, world.controls[1003].text);
    EXPECT_EQ(caption, world.controls[1004].text) << "button caption";
    EXPECT_EQ(enabled, world.controls[1004].enabled) << "button enabled";
}

class Flow : public testing::Test {
protected:
    void SetUp() override {
        Reset();
        UseFlowPlatform(&Fakes);
    }
    void TearDown() override {
        EXPECT_FALSE(world.wrongHwnd) << "an operation got another window than the dialog";
        UseFlowPlatform(nullptr);
    }

    // The dialog as the main routine builds it, before the flow's opening.
    static void Reset() {
        world = World();
        world.controls[1004].text = shown::InstallCaption;
    }
    static INT_PTR Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return InstallerCallback(Dialog, message, wParam, lParam);
    }
    // Opens the dialog with VLC found, then forgets the questions asked so far.
    static void OpenReady() {
        world.registry["default "] = VlcFolder;
        Send(WM_INITDIALOG);
        world.asked.clear();
    }
    static INT_PTR Press(WORD code = BN_CLICKED) { return Send(WM_COMMAND, MAKEWPARAM(1004, code), 0x5678); }
};

// ---- Opening: dialog just built -> Not detected or Ready ----

// VLC's .exe installer writes the default value and "InstallDir", its .msi "InstallDir" alone; a
// 64-bit VLC writes them in the 64-bit view only. The first non-empty value ends the reads, and
// VLC's settings files are looked for only when no value is there.
TEST_F(Flow, OpeningFindsVlcByEitherValueInEitherView) {
    struct Row {
        const char* value;  // the only value set: view and name
        Asked reads;
    };
    const Row rows[] = {
        {"default ", {DefaultValue32}},
        {"default InstallDir", {DefaultValue32, InstallDir32}},
        {"64 ", {DefaultValue32, InstallDir32, DefaultValue64}},
        {"64 InstallDir", {DefaultValue32, InstallDir32, DefaultValue64, InstallDir64}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        Reset();
        world.registry[row.value] = VlcFolder;
        world.settingsFound = true;  // must not be asked
        EXPECT_EQ(0, Send(WM_INITDIALOG, 0x1234, 0x5678));
        EXPECT_EQ(world.asked, row.reads);
        ExpectShows(Ready, shown::InstallCaption, true);
        EXPECT_EQ(23, world.controls[1005].icon) << "link icon";
        EXPECT_EQ(16, world.controls[1005].iconSize);
    }
}

// An empty default value is no VLC, as a missing key is not; VLC's settings files then decide.
TEST_F(Flow, OpeningWithoutAnyValueAsksForVlcsSettings) {
    for (const bool settingsFound : {false, true}) {
        SCOPED_TRACE(settingsFound ? "settings files" : "no settings files");
        Reset();
        world.registry["default "] = "";
        world.settingsFound = settingsFound;
        EXPECT_EQ(0, Send(WM_INITDIALOG));
        EXPECT_EQ(world.asked,
                  Asked({DefaultValue32, InstallDir32, DefaultValue64, InstallDir64, "settings?"}));
        ExpectShows(settingsFound ? Ready : NotDetected, shown::InstallCaption, settingsFound);
        EXPECT_EQ(23, world.controls[1005].icon) << "link icon";
    }
}

TEST_F(Flow, OpeningAgainForgetsTheWarning) {
    OpenReady();
    world.present[0] = true;
    Press();
    Send(WM_INITDIALOG);
    world.asked.clear();
    Press();
    EXPECT_EQ(world.asked, Asked({"any present?"}));
    ExpectShows(Warning, shown::ForceCaption, true);
}

// ---- Ready / Install failed with no warning yet -> Overwrite warning ----

TEST_F(Flow, AScriptAlreadyThereWarnsAndInstallsNothing) {
    OpenReady();
    world.present[1] = true;
    EXPECT_EQ(0, Press());
    EXPECT_EQ(world.asked, Asked({"any present?"}));
    ExpectShows(Warning, shown::ForceCaption, true);
}

// ---- Overwrite warning -> Installed or Install failed ----

TEST_F(Flow, ThePressAfterTheWarningAndEveryLaterOneInstallsWithoutTesting) {
    OpenReady();
    world.present[1] = true;
    world.installWorks[1] = false;  // an old script that stays as it was: one of two is a failure
    Press();
    world.asked.clear();
    Press(STN_DBLCLK);
    EXPECT_EQ(world.asked, Asked({"install", "both held?"}));
    ExpectShows(Failed, shown::ForceCaption, true);
    world.installWorks[1] = true;
    world.asked.clear();
    Press();
    EXPECT_EQ(world.asked, InstallAndJudge);
    ExpectShows(Installed, shown::ForceCaption, false);
}

// ---- Ready -> Installed, VLC cannot load or Install failed ----

TEST_F(Flow, NoScriptThereInstallsAndBothHeldShowsInstalled) {
    OpenReady();
    EXPECT_EQ(0, Press());
    EXPECT_EQ(world.asked, Asked({"any present?", "install", "both held?", "both open?"}));
    ExpectShows(Installed, shown::InstallCaption, false);
}

// Written right, but VLC would not find them: the path check comes only after the content check.
TEST_F(Flow, BothScriptsHeldButAPathLostInTheCodePageShowsThatVlcCannotLoadThem) {
    OpenReady();
    world.survives[1] = false;
    EXPECT_EQ(0, Press());
    EXPECT_EQ(world.asked, Asked({"any present?", "install", "both held?", "both open?"}));
    ExpectShows(CannotLoad, shown::InstallCaption, false);
}

// ---- Install failed -> as from Ready while no warning was shown ----

TEST_F(Flow, AFailedInstallLeavesTheButtonAndTheNextPressTestsAgain) {
    OpenReady();
    world.installWorks[0] = world.installWorks[1] = false;
    Press();
    EXPECT_EQ(world.asked, Asked({"any present?", "install", "both held?"}));
    ExpectShows(Failed, shown::InstallCaption, true);
    world.installWorks[0] = world.installWorks[1] = true;
    world.asked.clear();
    Press();
    EXPECT_EQ(world.asked, Asked({"any present?", "install", "both held?", "both open?"}));
    ExpectShows(Installed, shown::InstallCaption, false);
}

// ---- Any state: the link icon; commands the flow does not act on ----

TEST_F(Flow, TheLinkIconOpensThePageForAClickAndForADoubleClick) {
    OpenReady();
    EXPECT_EQ(0, Send(WM_COMMAND, MAKEWPARAM(1005, STN_CLICKED), 0x5678));
    EXPECT_EQ(0, Send(WM_COMMAND, MAKEWPARAM(1005, STN_DBLCLK), 0x5678));
    const std::string open = std::string("shell 'open' '") + shown::AuthorUrl + "' '' '' 5";
    EXPECT_EQ(world.asked, Asked({open, open})) << "no owner, empty strings, SW_SHOW";
    ExpectShows(Ready, shown::InstallCaption, true);
}

TEST_F(Flow, OtherNotificationsControlsAndMessagesDoNothing) {
    OpenReady();
    world.present[0] = true;
    const World before = world;
    for (int code : {2, 3, 4, 5, 6, 7, 0xFFFF}) {  // BN_DISABLE, BN_SETFOCUS, STN_ENABLE, ...
        EXPECT_EQ(0, Press(static_cast<WORD>(code)));
        EXPECT_EQ(0, Send(WM_COMMAND, MAKEWPARAM(1005, code), 0));
    }
    for (int id : {IDOK, IDCANCEL, 1001, 1002, 1003, 1006, 0})
        EXPECT_EQ(0, Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0));
    for (UINT message :
         {static_cast<UINT>(WM_SIZE), static_cast<UINT>(WM_NOTIFY), static_cast<UINT>(WM_CLOSE),
          static_cast<UINT>(WM_SYSCOMMAND), static_cast<UINT>(WM_LBUTTONDOWN)})
        EXPECT_EQ(0, Send(message, MAKEWPARAM(1004, 0), 0));
    EXPECT_EQ(Asked(), world.asked);
    ExpectShows(Ready, shown::InstallCaption, true);
    EXPECT_EQ(before.controls.size(), world.controls.size());
}

}  // namespace
