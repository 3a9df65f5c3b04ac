// The built program as a user meets it, driven from outside its process: the prefix is prepared
// (VLC key, the user's extensions folder), the program started, its window found, its texts read,
// its button clicked, its files compared byte for byte with the script files, and its exit code
// checked. Each case steers the shell's roaming application-data folder to its own scratch folder
// ...\<case>\Roaming (and the local one beside it, where no "\local\" names it), so the scripts
// land in ...\<case>\roaming\vlc\lua\extensions\. CTest also runs some cases under other ANSI
// code pages (TURNIX_CODE_PAGE names the one expected).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "flow_sandbox.h"
#include "support/ProgramWindow.h"
#include "support/ShellFolders.h"
#include "support/TestFiles.h"

namespace {

const wchar_t* const FileNames[2] = {L"Turnix+90°.lua", L"Turnix-90°.lua"};
const wchar_t* const SourceFiles[2] = {L"turnix-cw.lua", L"turnix-ccw.lua"};
const char HttpCommandKey[] = "http\\shell\\open\\command";
const char AuthorUrl[] = "http://talvern.example";  // as the scripts' descriptors name it
const char VlcFolder[] = "C:\\Program Files\\VideoLAN\\VLC";

const char InstallText[] = "INSTALL TURNIX EXTENSION";
const char ForceText[] = "FORCE-INSTALL EXTENSION (OVERWRITE)";

struct Shown {
    const char* firstLine;
    const char* secondLine;
};
const Shown NotDetected = {"VLC was not detected on your system.", "Install VLC then try again."};
const Shown Ready = {"VLC was detected on your system.", "Ready to install the extension."};
const Shown Warning = {"Extension was already installed previously.", "Replace it ?"};
const Shown Installed = {"Extension correctly installed. Please restart VLC.",
                         "You can now rotate videos via View > Turnix..."};
const Shown Failed = {"There was a problem installing the extension !",
                      "You can try again or contact the author."};
const Shown CannotLoad = {"Extension installed, but VLC cannot load it.",
                          "See Windows' language for non-Unicode programs."};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// True if every letter of the text has a form in the process's ANSI code page.
bool FitsCodePage(const std::wstring& text) {
    BOOL lost = FALSE;
    char bytes[MAX_PATH * 2];
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, bytes, sizeof bytes, nullptr,
                               &lost) > 0 &&
           !lost;
}

// Opens the file as VLC opens an extension script: the path converted to the ANSI code page with
// the system's defaults, then the C runtime's narrow fopen.
bool OpensThroughTheCodePage(const std::wstring& path) {
    char narrow[MAX_PATH * 2] = {};
    if (WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr) <= 0)
        return false;
    FILE* file = std::fopen(narrow, "rb");
    if (!file) return false;
    std::fclose(file);
    return true;
}

// The program in its own process, with the one window it shows.
class Installer {
public:
    // The built program, or a copy started from its own folder as Explorer starts it.
    explicit Installer(const std::wstring& exe = Widen(FromUnixPath(TURNIX_EXE_UNIX_PATH)),
                       const wchar_t* folder = nullptr) {
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder,
                                  &startup, &process_) != FALSE;
        if (started_) dialog_ = WaitForProgramWindow(process_.dwProcessId, process_.hProcess);
    }
    Installer(const Installer&) = delete;
    Installer& operator=(const Installer&) = delete;
    ~Installer() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }

    bool Showing() const { return dialog_ != nullptr; }

    // WM_GETTEXT crosses processes for static and button texts.
    std::string Text(int id) const {
        char text[256] = {};
        GetDlgItemTextA(dialog_, id, text, sizeof text);
        return text;
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog_, id)) != FALSE; }
    bool HasIcon(int id) const { return Send(GetDlgItem(dialog_, id), STM_GETIMAGE, IMAGE_ICON, 0) != 0; }

    // Returns once the program has handled the click, installation included.
    void ClickInstall() const { Send(GetDlgItem(dialog_, 1004), BM_CLICK, 0, 0); }
    void ClickLinkIcon() const {
        Send(dialog_, WM_COMMAND, MAKEWPARAM(1005, STN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(dialog_, 1005)));
    }

    // Closes through the close command; the exit code, or 12345 if the program does not end.
    DWORD Close() const {
        PostMessageA(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (WaitForSingleObject(process_.hProcess, 60000) != WAIT_OBJECT_0) return 12345;
        DWORD exitCode = 12345;
        GetExitCodeProcess(process_.hProcess, &exitCode);
        return exitCode;
    }

private:
    static LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 60000, &result);
        return static_cast<LRESULT>(result);
    }

    bool started_ = false;
    PROCESS_INFORMATION process_{};
    HWND dialog_ = nullptr;
};

#define EXPECT_SHOWS(installer, shown, caption, enabled)                   \
    do {                                                                   \
        EXPECT_EQ((shown).firstLine, (installer).Text(1002));              \
        EXPECT_EQ((shown).secondLine, (installer).Text(1003));             \
        EXPECT_EQ(std::string(caption), (installer).Text(1004));           \
        EXPECT_EQ(enabled, (installer).Enabled(1004)) << "button enabled"; \
        EXPECT_TRUE((installer).HasIcon(1001)) << "status icon";           \
        EXPECT_TRUE((installer).HasIcon(1005)) << "link icon";             \
    } while (0)

// The prefix values every case changes, put back after the whole run.
class PrefixSandbox : public testing::Environment {
public:
    void TearDown() override {
        vlc32_.reset();
        vlc64_.reset();
        httpCommand_.reset();
    }

private:
    std::unique_ptr<VlcKeySandbox> vlc32_ = std::make_unique<VlcKeySandbox>(KEY_WOW64_32KEY);
    std::unique_ptr<VlcKeySandbox> vlc64_ = std::make_unique<VlcKeySandbox>(KEY_WOW64_64KEY);
    std::unique_ptr<SavedRegValue> httpCommand_ =
        std::make_unique<SavedRegValue>(HKEY_CLASSES_ROOT, HttpCommandKey, "");
};
const testing::Environment* const prefixSandbox = testing::AddGlobalTestEnvironment(new PrefixSandbox);

class EndToEnd : public testing::Test {
protected:
    void SetUp() override {
        if (const char* codePage = std::getenv("TURNIX_CODE_PAGE")) {
            ASSERT_EQ(std::strtoul(codePage, nullptr, 10), GetACP())
                << "the locale behind this code page is missing";
        }
        ASSERT_NO_FATAL_FAILURE(GetCaseFolder(L"e2e", caseFolder_));
        ASSERT_NO_FATAL_FAILURE(UseBase(caseFolder_));
        SetVlc(KEY_WOW64_32KEY, VlcFolder);
        SetVlc(KEY_WOW64_64KEY, "");
        for (int i = 0; i < 2; ++i) {
            script_[i] = ReadBytes(TestFolder() + L"script-copies\\" + SourceFiles[i]);
            ASSERT_FALSE(script_[i].empty()) << SourceFiles[i] << " was not copied beside the test";
        }
    }
    void TearDown() override { RemoveTree(caseFolder_); }

    // Steers the shell's roaming folder to base\Roaming, creates it with VLC's extensions folder
    // inside, and puts the local folder beside it under a name in which no "\local\" stands: a
    // program that took the roaming folder for the local one's twin would miss it.
    void UseBase(const std::wstring& base) {
        base_ = base;
        roaming_ = Lower(base_) + L"roaming\\";
        extensions_ = roaming_ + L"vlc\\lua\\extensions\\";
        MakeFolders(extensions_);
        MakeFolders(base_ + L"Local Settings\\");
        ASSERT_TRUE(shellFolders_.Point(ShellFolderRedirect::Roaming, base_ + L"Roaming"));
        ASSERT_TRUE(shellFolders_.Point(ShellFolderRedirect::Local, base_ + L"Local Settings"));
    }

    // "" removes the key in that view.
    static void SetVlc(REGSAM view, const std::string& folder) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, VlcKeySandbox::Key, view, 0);
        if (!folder.empty()) {
            ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, VlcKeySandbox::Key, "", folder, view));
        }
    }

    // The stand-in browser records every page opened into the returned file.
    std::wstring RecordOpenedPages() const {
        // The recorder takes ANSI arguments; the case folder's name is plain ASCII.
        const std::string record = std::string(base_.begin(), base_.end()) + "opened.txt";
        const std::string handler =
            "\"" + FromUnixPath(URL_RECORDER_UNIX_PATH) + "\" \"" + record + "\" \"%1\"";
        EXPECT_TRUE(SetRegText(HKEY_CLASSES_ROOT, HttpCommandKey, "", handler));
        return Widen(record);
    }
    static void WaitForRecord(const std::wstring& record) {
        for (int i = 0; i < 300 && ReadBytes(record).empty(); ++i)
            Sleep(100);
    }

    std::wstring PathOf(int i) const { return extensions_ + FileNames[i]; }
    void ExpectBothInstalled() const {
        EXPECT_EQ(std::vector<std::wstring>({FileNames[0], FileNames[1]}), ListFolder(extensions_));
        for (int i = 0; i < 2; ++i)
            EXPECT_TRUE(ReadBytes(PathOf(i)) == script_[i]) << FileNames[i] << " differs";
    }
    void ExpectVlcOpensBoth(bool opens) const {
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(opens, OpensThroughTheCodePage(PathOf(i)))
                << FileNames[i] << ", code page " << GetACP();
    }

    ShellFolderRedirect shellFolders_;
    std::wstring caseFolder_, base_, roaming_, extensions_;
    std::string script_[2];
};

// ---- Opening: wherever VLC recorded itself, or its settings from a run ----

// Every file below the folder with its bytes, and every folder (as "<folder>"), by path.
void Snapshot(const std::wstring& folder, std::map<std::wstring, std::string>& into) {  // ends in "\"
    for (const std::wstring& name : ListFolder(folder)) {
        const std::wstring path = folder + name;
        if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
            into[path] = "<folder>";
            Snapshot(path + L"\\", into);
        } else {
            into[path] = ReadBytes(path);
        }
    }
}

// VLC's .exe installer writes the key's default value, its .msi "InstallDir" alone, and a 64-bit
// VLC only the 64-bit view; VLC unpacked from its archive writes no key, but once it has run its
// settings file "vlcrc" stands beside its extensions folder. Nothing else counts as VLC, and
// opening the dialog changes nothing on disk.
TEST_F(EndToEnd, OpeningFindsVlcHoweverItWasInstalled) {
    struct Row {
        const char* what;
        REGSAM view;  // the view of the one value set; 0: no key at all
        const char* name;
        const char* value;
        const wchar_t* settings;  // made in <roaming>vlc\: a file, a folder (ends in "\"), or nullptr
        bool ownScripts;          // this program's folders and scripts are there
        bool ready;
    };
    const Row rows[] = {
        {"no key", 0, nullptr, nullptr, nullptr, false, false},
        {"an empty default value", KEY_WOW64_32KEY, "", "", nullptr, false, false},
        {"the default value in the 64-bit view", KEY_WOW64_64KEY, "", VlcFolder, nullptr, false, true},
        {"InstallDir alone in the 64-bit view", KEY_WOW64_64KEY, "InstallDir", VlcFolder, nullptr, false,
         true},
        {"no key but a vlcrc file", 0, nullptr, nullptr, L"vlcrc", false, true},
        {"no key, only this program's folders and scripts", 0, nullptr, nullptr, nullptr, true, false},
        {"no key but a folder named vlcrc", 0, nullptr, nullptr, L"vlcrc\\", false, false},
    };
    const std::string vlcrc = "[qt]\nqt-privacy-ask=0\n[core]\nvideo-filter=invert\n";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetVlc(KEY_WOW64_32KEY, "");
        SetVlc(KEY_WOW64_64KEY, "");
        if (row.view) {
            ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, VlcKeySandbox::Key, row.name, row.value, row.view));
        }
        RemoveTree(roaming_ + L"vlc\\");
        if (row.settings) {
            MakeFolders(roaming_ + L"vlc\\" + row.settings);
            if (row.settings[std::wcslen(row.settings) - 1] != L'\\')
                WriteBytes(roaming_ + L"vlc\\" + row.settings, vlcrc);
        }
        if (row.ownScripts) {
            MakeFolders(extensions_);
            for (int i = 0; i < 2; ++i)
                WriteBytes(PathOf(i), script_[i]);
        }
        std::map<std::wstring, std::string> before, after;
        Snapshot(roaming_, before);

        Installer installer;
        ASSERT_TRUE(installer.Showing());
        if (!row.ready) {
            EXPECT_SHOWS(installer, NotDetected, InstallText, false);
            EXPECT_EQ(0u, installer.Close());
            Snapshot(roaming_, after);
            EXPECT_TRUE(before == after) << "opening changed the roaming folder";
            continue;
        }
        EXPECT_SHOWS(installer, Ready, InstallText, true);
        Snapshot(roaming_, after);
        EXPECT_TRUE(before == after) << "opening changed the roaming folder";
        installer.ClickInstall();
        EXPECT_SHOWS(installer, Installed, InstallText, false);
        ExpectBothInstalled();
        EXPECT_EQ(0u, installer.Close());
        if (row.settings) {
            EXPECT_TRUE(ReadBytes(roaming_ + L"vlc\\" + row.settings) == vlcrc) << "VLC's settings changed";
        }
    }
}

// ---- Ready -> Installed ----

TEST_F(EndToEnd, FirstInstallationWritesBothScriptsByteForByte) {
    Installer installer;
    ASSERT_TRUE(installer.Showing());
    EXPECT_SHOWS(installer, Ready, InstallText, true);
    installer.ClickInstall();
    EXPECT_SHOWS(installer, Installed, InstallText, false);
    ExpectBothInstalled();
    ExpectVlcOpensBoth(true);
    EXPECT_EQ(0u, installer.Close());
}

// ---- Ready -> Installed or VLC cannot load: VLC opens the scripts through the ANSI code page ----

// As for an account folder named in letters that the system's code page lacks: the files are
// written all the same, but VLC cannot open them, and the dialog says so.
TEST_F(EndToEnd, InstallsIntoAFolderNamedOutsideTheCodePage) {
    const std::wstring account = L"李雷 민준";
    ASSERT_FALSE(FitsCodePage(account)) << "code page " << GetACP() << " holds all these letters";
    ASSERT_NO_FATAL_FAILURE(UseBase(caseFolder_ + account + L"\\"));
    Installer installer;
    ASSERT_TRUE(installer.Showing());
    installer.ClickInstall();
    EXPECT_SHOWS(installer, CannotLoad, InstallText, false);
    ExpectBothInstalled();
    ExpectVlcOpensBoth(false);
    EXPECT_EQ(0u, installer.Close());
}

// Account folders in other alphabets: "Installed" exactly where the code page holds every letter
// of the path, as VLC's narrow open then confirms. Which names those are depends on the code page
// this runs under: accented Western letters under 1252, Chinese under 936.
TEST_F(EndToEnd, InstallsIntoAFolderNamedInAnyAlphabet) {
    int fitting = 0, lacking = 0;
    for (const std::wstring account : {L"Zoë Müller", L"李雷", L"Алексей"}) {
        SCOPED_TRACE(account);
        ASSERT_NO_FATAL_FAILURE(UseBase(caseFolder_ + account + L"\\"));
        const bool fits = FitsCodePage(PathOf(0)) && FitsCodePage(PathOf(1));
        ++(fits ? fitting : lacking);
        Installer installer;
        ASSERT_TRUE(installer.Showing());
        installer.ClickInstall();
        EXPECT_SHOWS(installer, fits ? Installed : CannotLoad, InstallText, false);
        ExpectBothInstalled();
        ExpectVlcOpensBoth(fits);
        EXPECT_EQ(0u, installer.Close());
    }
    EXPECT_GT(fitting, 0) << "no name fits code page " << GetACP();
    EXPECT_GT(lacking, 0) << "every name fits code page " << GetACP();
}

// ---- Ready -> Overwrite warning -> Installed ----

TEST_F(EndToEnd, AnEarlierScriptIsReplacedOnlyAfterTheWarning) {
    const std::string stale = "-- an older, longer script\r\n" + script_[1] + script_[1];
    WriteBytes(PathOf(1), stale);
    Installer installer;
    ASSERT_TRUE(installer.Showing());
    EXPECT_SHOWS(installer, Ready, InstallText, true);
    installer.ClickInstall();
    EXPECT_SHOWS(installer, Warning, ForceText, true);
    EXPECT_TRUE(ReadBytes(PathOf(1)) == stale) << "nothing is replaced before the second press";
    EXPECT_FALSE(Exists(PathOf(0)));
    installer.ClickInstall();
    EXPECT_SHOWS(installer, Installed, ForceText, false);
    ExpectBothInstalled();
    EXPECT_EQ(0u, installer.Close());
}

// ---- Ready -> Installed on a fresh VLC, which makes no extensions folder of its own ----

TEST_F(EndToEnd, InstallsOnAFreshVlcByMakingItsFolders) {
    RemoveTree(roaming_ + L"vlc\\");
    Installer installer;
    ASSERT_TRUE(installer.Showing());
    EXPECT_SHOWS(installer, Ready, InstallText, true);
    EXPECT_TRUE(ListFolder(roaming_).empty()) << "opening the dialog made a folder";
    installer.ClickInstall();
    EXPECT_SHOWS(installer, Installed, InstallText, false);
    EXPECT_EQ(std::vector<std::wstring>({L"vlc"}), ListFolder(roaming_));
    EXPECT_EQ(std::vector<std::wstring>({L"lua"}), ListFolder(roaming_ + L"vlc\\"));
    ExpectBothInstalled();
    EXPECT_EQ(0u, installer.Close());
}

// The roaming folder as the shell names it, also where it is not the local folder's twin.
TEST_F(EndToEnd, InstallsWhereTheShellPutsTheRoamingFolder) {
    for (const RoamingLayout& layout : RoamingLayouts) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(layout.roaming)));
        roaming_ = Lower(caseFolder_ + layout.roaming) + L"\\";
        extensions_ = roaming_ + L"vlc\\lua\\extensions\\";
        MakeFolders(roaming_);
        MakeFolders(caseFolder_ + layout.local + L"\\");
        ASSERT_TRUE(shellFolders_.Point(ShellFolderRedirect::Roaming, caseFolder_ + layout.roaming));
        ASSERT_TRUE(shellFolders_.Point(ShellFolderRedirect::Local, caseFolder_ + layout.local));
        Installer installer;
        ASSERT_TRUE(installer.Showing());
        installer.ClickInstall();
        EXPECT_SHOWS(installer, Installed, InstallText, false);
        ExpectBothInstalled();
        EXPECT_TRUE(ListFolder(caseFolder_ + layout.local + L"\\").empty())
            << "installed beside the local folder";
        EXPECT_EQ(0u, installer.Close());
    }
}

// ---- Install failed ----

// A file where a folder belongs, and a roaming folder that does not exist: nothing is made or
// changed, and the next press (no warning came) tests and fails again.
TEST_F(EndToEnd, FailsWhereNoFolderCanBeMadeAndChangesNothing) {
    RemoveTree(roaming_ + L"vlc\\lua\\");
    WriteBytes(roaming_ + L"vlc\\lua", "not a folder");
    const std::wstring missing = caseFolder_ + L"Gone\\Roaming";
    for (const bool roamingMissing : {false, true}) {
        SCOPED_TRACE(roamingMissing ? "no roaming folder" : "a file named lua");
        if (roamingMissing) {
            ASSERT_TRUE(shellFolders_.Point(ShellFolderRedirect::Roaming, missing));
        }
        Installer installer;
        ASSERT_TRUE(installer.Showing());
        EXPECT_SHOWS(installer, Ready, InstallText, true);
        installer.ClickInstall();
        EXPECT_SHOWS(installer, Failed, InstallText, true);
        installer.ClickInstall();
        EXPECT_SHOWS(installer, Failed, InstallText, true);
        EXPECT_EQ(0u, installer.Close());
        EXPECT_EQ("not a folder", ReadBytes(roaming_ + L"vlc\\lua"));
        EXPECT_EQ(std::vector<std::wstring>({L"lua"}), ListFolder(roaming_ + L"vlc\\"));
        EXPECT_FALSE(Exists(caseFolder_ + L"Gone")) << "a folder was made for the missing roaming folder";
    }
}

// ---- Overwrite warning -> Installed or Install failed: the exact content decides ----

// A read-only earlier script stays as it was, and only one that holds exactly the script counts as
// installed: presence alone would claim success for the others.
TEST_F(EndToEnd, AReadOnlyEarlierScriptCountsAsInstalledOnlyIfItIsExactlyTheScript) {
    const std::pair<const char*, std::string> earlier[] = {
        {"the script itself", script_[0]},
        {"an older script", "-- Turnix 0.0.0\r\n"},
        // As an old copy whose cut failed looks: only its size tells it from the script.
        {"the script with a tail", script_[0] + "\r\n-- the tail of an older copy\r\n"},
    };
    for (const auto& [what, bytes] : earlier) {
        SCOPED_TRACE(what);
        SetFileAttributesW(PathOf(0).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(PathOf(1).c_str());
        WriteBytes(PathOf(0), bytes);
        SetFileAttributesW(PathOf(0).c_str(), FILE_ATTRIBUTE_READONLY);
        Installer installer;
        ASSERT_TRUE(installer.Showing());
        installer.ClickInstall();
        EXPECT_SHOWS(installer, Warning, ForceText, true);
        installer.ClickInstall();
        EXPECT_TRUE(ReadBytes(PathOf(0)) == bytes);
        EXPECT_TRUE(ReadBytes(PathOf(1)) == script_[1]);
        if (bytes != script_[0]) {
            EXPECT_SHOWS(installer, Failed, ForceText, true);
            // The user clears the attribute and presses again: installed at once, no second warning.
            SetFileAttributesW(PathOf(0).c_str(), FILE_ATTRIBUTE_NORMAL);
            installer.ClickInstall();
        }
        EXPECT_SHOWS(installer, Installed, ForceText, false);
        ExpectBothInstalled();
        EXPECT_EQ(0u, installer.Close());
    }
}

// ---- Any state: the link icon ----

TEST_F(EndToEnd, TheLinkIconOpensTheAuthorsPageOnce) {
    const std::wstring record = RecordOpenedPages();
    Installer installer;
    ASSERT_TRUE(installer.Showing());
    installer.ClickLinkIcon();
    WaitForRecord(record);
    Sleep(2000);  // a second opening would have come by now
    EXPECT_EQ(std::string(AuthorUrl) + "\n", ReadBytes(record));
    EXPECT_SHOWS(installer, Ready, InstallText, true);
    EXPECT_EQ(0u, installer.Close());
}

// ---- Nothing from the program's own folder ----

// Tells Wine to load these libraries from the program's folder when they are there, as Windows
// does with every library that is not a KnownDLL. Per program name, in the registry: Wine reads
// WINEDLLOVERRIDES from the Unix environment, which a Windows parent cannot set for its child.
class PreferLibrariesBeside {
public:
    PreferLibrariesBeside(const std::wstring& program, const std::vector<std::string>& names)
        : key_("Software\\Wine\\AppDefaults\\" + std::string(program.begin(), program.end())) {
        RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
        for (const std::string& name : names)
            EXPECT_TRUE(SetRegText(HKEY_CURRENT_USER, key_ + "\\DllOverrides", name, "native,builtin"));
    }
    PreferLibrariesBeside(const PreferLibrariesBeside&) = delete;
    PreferLibrariesBeside& operator=(const PreferLibrariesBeside&) = delete;
    ~PreferLibrariesBeside() { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }

private:
    std::string key_;
};

// People start the program from Downloads, where any web page can drop a file. Each stand-in
// named like a Windows library leaves a marker if it is loaded. The copy is named as a browser
// names a second download. version.dll and zlib1.dll are not planted: Wine's own system
// libraries import them while the process loads (Windows' do not), before any code of the
// program runs, as they do for a program that imports only kernel32, user32 and msvcrt.
TEST_F(EndToEnd, LibrariesDroppedBesideTheProgramAreNeverLoaded) {
    const std::wstring downloads = caseFolder_ + L"Downloads\\";
    const std::wstring program = L"VLC Turnix extension (1).exe";
    MakeFolders(downloads);
    ASSERT_TRUE(
        CopyFileW(Widen(FromUnixPath(TURNIX_EXE_UNIX_PATH)).c_str(), (downloads + program).c_str(), TRUE));
    const std::wstring standIns = Widen(FromUnixPath(STAND_INS_UNIX_PATH)) + L"\\";
    std::vector<std::wstring> planted;
    std::vector<std::string> names;
    for (const std::wstring& file : ListFolder(standIns)) {
        if (file.size() <= 4 || Lower(file.substr(file.size() - 4)) != L".dll") continue;
        ASSERT_TRUE(CopyFileW((standIns + file).c_str(), (downloads + file).c_str(), TRUE));
        planted.push_back(file);
        names.emplace_back(file.begin(), file.end() - 4);
    }
    for (const wchar_t* required : {L"comctl32.dll", L"uxtheme.dll"})
        ASSERT_NE(std::find(planted.begin(), planted.end(), required), planted.end()) << required;
    const PreferLibrariesBeside preferPlanted(program, names);
    const std::wstring record = RecordOpenedPages();

    Installer installer(downloads + program, downloads.c_str());
    ASSERT_TRUE(installer.Showing());
    EXPECT_SHOWS(installer, Ready, InstallText, true);
    installer.ClickInstall();
    EXPECT_SHOWS(installer, Installed, InstallText, false);
    ExpectBothInstalled();
    installer.ClickLinkIcon();
    WaitForRecord(record);
    EXPECT_EQ(std::string(AuthorUrl) + "\n", ReadBytes(record));
    EXPECT_EQ(0u, installer.Close());
    for (const std::wstring& file : planted)
        EXPECT_FALSE(Exists(downloads + file + L".loaded")) << "loaded from beside the program: " << file;
}

}  // namespace
