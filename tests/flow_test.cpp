// The installer flow through its seam: fakes record every call in order and keep the controls'
// texts and enabled state, so each case reads what the user would see. Grouped by the flow's
// state table. One group reads the real registry of the test prefix, both views.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "InstallerFlow.h"
#include "flow_sandbox.h"

namespace {

const HWND Dialog = reinterpret_cast<HWND>(0x4711);
const char VlcFolder[] = "C:\\Program Files\\VideoLAN\\VLC";
const char Url[] = "http://talvern.example";

struct Control {
    std::string text;
    bool enabled = true;
    int icon = -1;
};

// What the fakes see and answer; reset by every case.
struct World {
    std::vector<std::string> calls;
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

void Note(HWND dialog, const std::string& call) {
    if (dialog != Dialog) world.wrongHwnd = true;
    world.calls.push_back(call);
}

void FakeSetStatusIcon(HWND dialog, int id, int number, int size) {
    Note(dialog, "icon " + std::to_string(id) + " " + std::to_string(number) + " " + std::to_string(size));
    world.controls[id].icon = number;
}
void FakeSetControlText(HWND dialog, int id, const char* text) {
    Note(dialog, "text " + std::to_string(id) + " " + text);
    world.controls[id].text = text;
}
void FakeEnableControl(HWND dialog, int id, bool enable) {
    Note(dialog, "enable " + std::to_string(id) + (enable ? " on" : " off"));
    world.controls[id].enabled = enable;
}
std::string FakeReadRegValue(HKEY root, const std::string& keyPath, const std::string& name,
                             RegistryView view) {
    const std::string where = view == RegistryView::Wow64_64 ? "64" : "default";
    world.calls.push_back(std::string("reg ") + (root == HKEY_LOCAL_MACHINE ? "HKLM " : "other ") + keyPath +
                          " [" + name + "] " + where);
    return world.registry[where + " " + name];
}
bool FakeVlcSettingsFound() {
    world.calls.push_back("settings?");
    return world.settingsFound;
}
bool FakeAnyScriptPresent() {
    world.calls.push_back("any present?");
    return world.present[0] || world.present[1];
}
void FakeInstallScripts() {
    world.calls.push_back("install");
    for (int i = 0; i < 2; ++i) {
        if (world.installWorks[i]) world.holds[i] = true;
        world.present[i] = world.present[i] || world.installWorks[i];
    }
}
bool FakeBothScriptsHeld() {
    world.calls.push_back("both held?");
    return world.holds[0] && world.holds[1];
}
bool FakeBothPathsVlcCanOpen() {
    world.calls.push_back("both open?");
    return world.survives[0] && world.survives[1];
}
HINSTANCE WINAPI FakeShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                  INT show) {
    auto shown = [](LPCSTR s) {
        return s ? "'" + std::string(s) + "'" : std::string("null");
    };
    world.calls.push_back(std::string("shell ") + (owner ? "owner " : "") + shown(verb) + " " + shown(file) +
                          " " + shown(parameters) + " " + shown(directory) + " " + std::to_string(show));
    return reinterpret_cast<HINSTANCE>(2);  // "file not found": the flow must not care
}

const FlowPlatform Fakes = {FakeSetStatusIcon,  FakeSetControlText,   FakeEnableControl,
                            FakeReadRegValue,   FakeVlcSettingsFound, FakeAnyScriptPresent,
                            FakeInstallScripts, FakeBothScriptsHeld,  FakeBothPathsVlcCanOpen,
                            FakeShellExecute};

using Calls = std::vector<std::string>;

const Calls NotDetectedShown = {
    "icon 1001 22 48",
    "text 1002 VLC was not detected on your system.",
    "text 1003 Install VLC then try again.",
    "enable 1004 off",
};
const Calls ReadyShown = {
    "icon 1001 6 48",
    "text 1002 VLC was detected on your system.",
    "text 1003 Ready to install the extension.",
    "enable 1004 on",
};
const Calls WarningShown = {
    "icon 1001 132 48",
    "text 1002 Extension was already installed previously.",
    "text 1003 Replace it ?",
    "text 1004 FORCE-INSTALL EXTENSION (OVERWRITE)",
};
const Calls InstalledShown = {
    "icon 1001 41 48",
    "text 1002 Extension correctly installed. Please restart VLC.",
    "text 1003 You can now rotate videos via View > Turnix...",
    "enable 1004 off",
};
const Calls FailedShown = {
    "icon 1001 53 48",
    "text 1002 There was a problem installing the extension !",
    "text 1003 You can try again or contact the author.",
};
const Calls CannotLoadShown = {
    "icon 1001 53 48",
    "text 1002 Extension installed, but VLC cannot load it.",
    "text 1003 See Windows' language for non-Unicode programs.",
    "enable 1004 off",
};
const Calls InstallAndJudge = {"install", "both held?", "both open?"};

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class Flow : public testing::Test {
protected:
    void SetUp() override {
        world = World();
        world.controls[1004].text = "INSTALL TURNIX EXTENSION";
        UseFlowPlatform(&Fakes);
    }
    void TearDown() override {
        EXPECT_FALSE(world.wrongHwnd) << "an operation got another window than the dialog";
        UseFlowPlatform(nullptr);
    }

    static INT_PTR Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return InstallerCallback(Dialog, message, wParam, lParam);
    }
    // Opens the dialog with VLC found, then forgets the calls made so far.
    static void OpenReady() {
        world.registry["default "] = VlcFolder;
        Send(WM_INITDIALOG);
        world.calls.clear();
    }
    static INT_PTR Press(WORD code = BN_CLICKED) { return Send(WM_COMMAND, MAKEWPARAM(1004, code), 0x5678); }
    static const Control& Button() { return world.controls[1004]; }
};

// ---- Opening: dialog just built -> Not detected or Ready ----

const char DefaultValue32[] = "reg HKLM SOFTWARE\\VideoLAN\\VLC [] default";
const char InstallDir32[] = "reg HKLM SOFTWARE\\VideoLAN\\VLC [InstallDir] default";
const char DefaultValue64[] = "reg HKLM SOFTWARE\\VideoLAN\\VLC [] 64";
const char InstallDir64[] = "reg HKLM SOFTWARE\\VideoLAN\\VLC [InstallDir] 64";

// VLC's .exe installer writes the default value and "InstallDir", its .msi "InstallDir" alone; a
// 64-bit VLC writes them in the 64-bit view only. The first non-empty value ends the reads, and
// VLC's settings files are looked for only when no value is there.
TEST_F(Flow, OpeningFindsVlcByEitherValueInEitherView) {
    struct Row {
        const char* value;  // the only value set: view and name
        Calls reads;
    };
    const Row rows[] = {
        {"default ", {DefaultValue32}},
        {"default InstallDir", {DefaultValue32, InstallDir32}},
        {"64 ", {DefaultValue32, InstallDir32, DefaultValue64}},
        {"64 InstallDir", {DefaultValue32, InstallDir32, DefaultValue64, InstallDir64}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        world = World();
        world.registry[row.value] = VlcFolder;
        world.settingsFound = true;  // must not be asked
        EXPECT_EQ(0, Send(WM_INITDIALOG, 0x1234, 0x5678));
        EXPECT_EQ(world.calls, Join({{"icon 1005 23 16"}, row.reads, ReadyShown}));
        EXPECT_TRUE(Button().enabled);
    }
}

TEST_F(Flow, OpeningWithoutAnyValueAsksForVlcsSettings) {
    const Calls allReads = {DefaultValue32, InstallDir32, DefaultValue64, InstallDir64, "settings?"};
    for (const bool settingsFound : {false, true}) {
        SCOPED_TRACE(settingsFound ? "settings files" : "no settings files");
        world = World();
        world.controls[1004].text = "INSTALL TURNIX EXTENSION";
        world.registry["default "] = "";  // a key with an empty default value is no VLC
        world.settingsFound = settingsFound;
        EXPECT_EQ(0, Send(WM_INITDIALOG));
        EXPECT_EQ(world.calls,
                  Join({{"icon 1005 23 16"}, allReads, settingsFound ? ReadyShown : NotDetectedShown}));
        EXPECT_EQ(settingsFound, Button().enabled);
        EXPECT_EQ("INSTALL TURNIX EXTENSION", Button().text);
    }
}

TEST_F(Flow, OpeningAgainForgetsTheWarning) {
    OpenReady();
    world.present[0] = true;
    Press();
    Send(WM_INITDIALOG);
    world.calls.clear();
    Press();
    EXPECT_EQ(world.calls, Join({{"any present?"}, WarningShown}));
}

// ---- Ready / Install failed with no warning yet -> Overwrite warning ----

TEST_F(Flow, AScriptAlreadyThereWarnsAndInstallsNothing) {
    OpenReady();
    world.present[1] = true;
    EXPECT_EQ(0, Press());
    EXPECT_EQ(world.calls, Join({{"any present?"}, WarningShown}));
    EXPECT_TRUE(Button().enabled);
    EXPECT_EQ(132, world.controls[1001].icon);
}

// ---- Overwrite warning -> Installed or Install failed ----

TEST_F(Flow, ThePressAfterTheWarningAndEveryLaterOneInstallsWithoutTesting) {
    OpenReady();
    world.present[1] = true;
    world.installWorks[1] = false;  // a read-only old script that stays as it was: one of two is a failure
    Press();
    world.calls.clear();
    Press(STN_DBLCLK);
    EXPECT_EQ(world.calls, Join({{"install", "both held?"}, FailedShown}));
    world.installWorks[1] = true;
    world.calls.clear();
    Press();
    EXPECT_EQ(world.calls, Join({InstallAndJudge, InstalledShown}));
    EXPECT_FALSE(Button().enabled);
    EXPECT_EQ(ForceInstallText, Button().text) << "Installed keeps the caption the button had";
}

// ---- Ready -> Installed, VLC cannot load or Install failed ----

TEST_F(Flow, NoScriptThereInstallsAndBothHeldShowsInstalled) {
    OpenReady();
    EXPECT_EQ(0, Press());
    EXPECT_EQ(world.calls, Join({{"any present?"}, InstallAndJudge, InstalledShown}));
    EXPECT_FALSE(Button().enabled);
    EXPECT_EQ("INSTALL TURNIX EXTENSION", Button().text);
}

// Written right, but VLC would not find them: the path check comes only after the content check.
TEST_F(Flow, BothScriptsHeldButAPathLostInTheCodePageShowsThatVlcCannotLoadThem) {
    OpenReady();
    world.survives[1] = false;
    EXPECT_EQ(0, Press());
    EXPECT_EQ(world.calls, Join({{"any present?"}, InstallAndJudge, CannotLoadShown}));
    EXPECT_FALSE(Button().enabled);
    EXPECT_EQ("INSTALL TURNIX EXTENSION", Button().text);
}

// ---- Install failed -> as from Ready while no warning was shown ----

TEST_F(Flow, AFailedInstallLeavesTheButtonAndTheNextPressTestsAgain) {
    OpenReady();
    world.installWorks[0] = world.installWorks[1] = false;
    Press();
    EXPECT_EQ(world.calls, Join({{"any present?", "install", "both held?"}, FailedShown}));
    EXPECT_TRUE(Button().enabled);
    EXPECT_EQ("INSTALL TURNIX EXTENSION", Button().text);
    world.installWorks[0] = world.installWorks[1] = true;
    world.calls.clear();
    Press();
    EXPECT_EQ(world.calls, Join({{"any present?"}, InstallAndJudge, InstalledShown}));
}

// ---- Any state: the link icon; commands the flow does not act on ----

TEST_F(Flow, TheLinkIconOpensThePageForAClickAndForADoubleClick) {
    OpenReady();
    EXPECT_EQ(0, Send(WM_COMMAND, MAKEWPARAM(1005, STN_CLICKED), 0x5678));
    EXPECT_EQ(0, Send(WM_COMMAND, MAKEWPARAM(1005, STN_DBLCLK), 0x5678));
    const std::string open = std::string("shell 'open' '") + Url + "' '' '' 5";
    EXPECT_EQ(world.calls, Calls({open, open})) << "no owner, empty strings, SW_SHOW; the state stays";
}

TEST_F(Flow, OtherNotificationsControlsAndMessagesDoNothing) {
    OpenReady();
    world.present[0] = true;
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
    EXPECT_EQ(Calls(), world.calls);
}

// ---- Opening against the real registry of the test prefix ----

class FlowOnTheRegistry : public Flow {
protected:
    void SetUp() override {
        Flow::SetUp();
        platform_ = Fakes;
        platform_.readRegValue = RealFlowPlatform.readRegValue;
        UseFlowPlatform(&platform_);
    }
    static int StatusIconAfterOpening() {
        Send(WM_INITDIALOG);
        return world.controls[1001].icon;
    }
    FlowPlatform platform_{};
    VlcKeySandbox view32_{KEY_WOW64_32KEY};
    VlcKeySandbox view64_{KEY_WOW64_64KEY};
};

TEST_F(FlowOnTheRegistry, MissingKeyEmptyDefaultAndSetDefaultInEitherView) {
    EXPECT_EQ(22, StatusIconAfterOpening()) << "no key";

    ASSERT_TRUE(view32_.SetDefault(""));
    ASSERT_TRUE(view64_.SetDefault(""));
    EXPECT_EQ(22, StatusIconAfterOpening()) << "keys with an empty default value";

    ASSERT_TRUE(view32_.SetDefault(VlcFolder));
    EXPECT_EQ(6, StatusIconAfterOpening()) << "32-bit VLC";

    view32_.Remove();
    ASSERT_TRUE(view64_.SetDefault(VlcFolder));
    EXPECT_EQ(6, StatusIconAfterOpening()) << "64-bit VLC, seen only in the 64-bit view";
    EXPECT_TRUE(world.controls[1004].enabled);

    view64_.Remove();
    EXPECT_EQ(22, StatusIconAfterOpening()) << "uninstalled again";
    EXPECT_FALSE(world.controls[1004].enabled);
}

}  // namespace
