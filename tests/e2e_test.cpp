// The built program as a user meets it, driven from outside its process: one real path through
// each state the dialog shows, with the real registry views, shell folders and files. The prefix
// is prepared (VLC key, the user's roaming folder), the program started, its window found, its
// texts read, its button clicked, its files compared byte for byte with the script files, and its
// exit code checked. Each case steers the shell's roaming folder to its own scratch folder
// ...\<case>\Roaming, and the local one beside it under a name in which no "\local\" stands.
// The cases of AnyCodePage run again under other ANSI code pages (--code-page-cases, with
// TURNIX_CODE_PAGE naming the one expected).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/ProgramProcess.h"
#include "support/RegistryFixtures.h"
#include "support/ShellFolders.h"
#include "support/StateTexts.h"
#include "support/TestCase.h"

namespace {

const wchar_t* const FileNames[2] = {L"Turnix+90°.lua", L"Turnix-90°.lua"};
const wchar_t* const SourceFiles[2] = {L"turnix-cw.lua", L"turnix-ccw.lua"};
const char HttpCommandKey[] = "http\\shell\\open\\command";
const char VlcFolder[] = "C:\\Program Files\\VideoLAN\\VLC";
constexpr double WindowTimeout = 60;

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

// The program in its own process, with the one window it shows.
class Installer {
public:
    // The program under test, or a copy started from its own folder as Explorer starts it.
    explicit Installer(const std::wstring& exe = ProgramPath(), const std::wstring& arguments = L"",
                       const wchar_t* folder = nullptr) {
        if (process_.Start(exe, arguments, folder))
            dialog_ = process_.WaitForWindow(
                [](HWND w) {
                    return HasCaption(w, "VLC Turnix");
                },
                WindowTimeout, 100);
    }

    bool Showing() const { return dialog_ != nullptr; }
    HWND Dialog() const { return dialog_; }
    HANDLE Process() const { return process_.Process(); }

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

    // Closes through the close command; the exit code, or ProgramProcess::NotEnded.
    DWORD Close() { return process_.Close(dialog_, WindowTimeout); }

private:
    static LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 60000, &result);
        return static_cast<LRESULT>(result);
    }

    ProgramProcess process_;
    HWND dialog_ = nullptr;
};

#define EXPECT_SHOWS(installer, state, caption, enabled)                   \
    do {                                                                   \
        EXPECT_EQ((state).firstLine, (installer).Text(1002));              \
        EXPECT_EQ((state).secondLine, (installer).Text(1003));             \
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
        std::make_unique<SavedRegValue>(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", L"");
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
        SetVlc(KEY_WOW64_64KEY, nullptr, nullptr);
        SetVlc(KEY_WOW64_32KEY, "", VlcFolder);
        for (int i = 0; i < 2; ++i) {
            script_[i] = ReadBytes(ExeFolder() + L"script-copies\\" + SourceFiles[i]);
            ASSERT_FALSE(script_[i].empty()) << SourceFiles[i] << " was not copied beside the test";
        }
    }
    void TearDown() override { RemoveTree(caseFolder_); }

    // Steers the shell's roaming folder to base\Roaming, created with VLC's extensions folder
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

    // The key in that view with this one value, or no key at all for a null name.
    static void SetVlc(REGSAM view, const char* name, const char* value) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, VlcKeySandbox::Key, view, 0);
        if (name) {
            ASSERT_TRUE(SetRegText(HKEY_LOCAL_MACHINE, VlcKeySandbox::Key, name, value, view));
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

// VLC's .exe installer writes the key's default value, its .msi "InstallDir" alone, and a 64-bit
// VLC only the 64-bit view; VLC unpacked from its archive writes no key, but once it has run its
// settings file "vlcrc" stands beside its extensions folder. Nothing else counts as VLC, and
// opening the dialog changes nothing on disk.
TEST_F(EndToEnd, OpeningFindsVlcHoweverItWasInstalled) {
    struct Row {
        const char* what;
        const char* name;         // of the one value set, in the 64-bit view; nullptr: no key at all
        const wchar_t* settings;  // made in <roaming>vlc\: a file, a folder (ends in "\"), or nullptr
        bool ownScripts;          // this program's folders and scripts are there
        bool ready;
    };
    const Row rows[] = {
        {"no key", nullptr, nullptr, false, false},
        {"the default value in the 64-bit view", "", nullptr, false, true},
        {"InstallDir alone in the 64-bit view", "InstallDir", nullptr, false, true},
        {"no key but a vlcrc file", nullptr, L"vlcrc", false, true},
        {"no key, only this program's folders and scripts", nullptr, nullptr, true, false},
        {"no key but a folder named vlcrc", nullptr, L"vlcrc\\", false, false},
    };
    const std::string vlcrc = "[qt]\nqt-privacy-ask=0\n[core]\nvideo-filter=invert\n";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetVlc(KEY_WOW64_32KEY, nullptr, nullptr);
        SetVlc(KEY_WOW64_64KEY, row.name, VlcFolder);
        RemoveTree(roaming_ + L"vlc\\");
        if (row.settings) {
            const std::wstring settings = roaming_ + L"vlc\\" + row.settings;
            MakeFolders(settings);
            if (settings.back() != L'\\') {
                ASSERT_TRUE(WriteBytes(settings, vlcrc));
            }
        }
        if (row.ownScripts) {
            MakeFolders(extensions_);
            for (int i = 0; i < 2; ++i)
                ASSERT_TRUE(WriteBytes(PathOf(i), script_[i]));
        }
        std::map<std::wstring, std::string> before, opened;
        Snapshot(roaming_, before);

        Installer installer;
        ASSERT_TRUE(installer.Showing());
        EXPECT_SHOWS(installer, row.ready ? shown::Ready : shown::NotDetected, shown::InstallCaption,
                     row.ready);
        Snapshot(roaming_, opened);
        EXPECT_TRUE(before == opened) << "opening the dialog changed the roaming folder";
        if (row.ready) {
            installer.ClickInstall();
            EXPECT_SHOWS(installer, shown::Installed, shown::InstallCaption, false);
            ExpectBothInstalled();
            if (row.settings) {
                EXPECT_TRUE(ReadBytes(roaming_ + L"vlc\\" + row.settings) == vlcrc)
                    << "VLC's settings changed";
            }
        }
        EXPECT_EQ(0u, installer.Close());
    }
}

// ---- The program as a process ----

// Nothing is taken from the command line, and Esc neither ends nor hides nor disables the dialog:
// only the close command ends the program, with exit code 0.
TEST_F(EndToEnd, StartsWithAnyArgumentsAndEndsOnlyThroughTheCloseCommand) {
    Installer installer(ProgramPath(), L" /S --install \"C:\\some where\" -h");
    ASSERT_TRUE(installer.Showing());
    EXPECT_SHOWS(installer, shown::Ready, shown::InstallCaption, true);
    PostMessageA(installer.Dialog(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(installer.Process(), 1000))
        << "ended by Esc";
    EXPECT_TRUE(IsWindowVisible(installer.Dialog())) << "hidden by Esc";
    EXPECT_TRUE(IsWindowEnabled(installer.Dialog())) << "disabled by Esc";
    EXPECT_EQ(0u, installer.Close());
    EXPECT_TRUE(ListFolder(extensions_).empty());
}

// ---- Ready -> Installed or VLC cannot load, under every ANSI code page ----

class AnyCodePage : public EndToEnd {};

// VLC makes no extensions folder of its own: on a fresh VLC the program makes them on the press,
// not before, and writes both scripts exactly, named with the degree sign whatever the code page.
TEST_F(AnyCodePage, FirstInstallationOnAFreshVlcWritesBothScriptsByteForByte) {
    RemoveTree(roaming_ + L"vlc\\");
    Installer installer;
    ASSERT_TRUE(installer.Showing());
    EXPECT_SHOWS(installer, shown::Ready, shown::InstallCaption, true);
    EXPECT_TRUE(ListFolder(roaming_).empty()) << "opening the dialog made a folder";
    installer.ClickInstall();
    EXPECT_SHOWS(installer, shown::Installed, shown::InstallCaption, false);
    EXPECT_EQ(std::vector<std::wstring>({L"vlc"}), ListFolder(roaming_));
    EXPECT_EQ(std::vector<std::wstring>({L"lua"}), ListFolder(roaming_ + L"vlc\\"));
    ExpectBothInstalled();
    ExpectVlcOpensBoth(true);
    EXPECT_EQ(0u, installer.Close());
}

// Account folders in other alphabets: the files are written all the same, and the dialog says
// "Installed" exactly where the code page holds every letter of the path, as VLC's narrow open
// then confirms, and "VLC cannot load it" elsewhere. Which names fit depends on the code page:
// accented Western letters under 1252, Chinese under 936; Chinese with Korean fits none.
TEST_F(AnyCodePage, InstallsIntoAFolderNamedInAnyAlphabet) {
    int fitting = 0, lacking = 0;
    for (const std::wstring account : {L"Zoë Müller", L"李雷", L"Алексей", L"李雷 민준"}) {
        SCOPED_TRACE(account);
        ASSERT_NO_FATAL_FAILURE(UseBase(caseFolder_ + account + L"\\"));
        const bool fits = FitsCodePage(PathOf(0)) && FitsCodePage(PathOf(1));
        ++(fits ? fitting : lacking);
        Installer installer;
        ASSERT_TRUE(installer.Showing());
        installer.ClickInstall();
        EXPECT_SHOWS(installer, fits ? shown::Installed : shown::CannotLoad, shown::InstallCaption, false);
        ExpectBothInstalled();
        ExpectVlcOpensBoth(fits);
        EXPECT_EQ(0u, installer.Close());
    }
    EXPECT_GT(fitting, 0) << "no name fits code page " << GetACP();
    EXPECT_GT(lacking, 0) << "every name fits code page " << GetACP();
}

TEST_F(AnyCodePage, AnEarlierScriptIsReplacedOnlyAfterTheWarning) {
    const std::string stale = "-- an older, longer script\r\n" + script_[1] + script_[1];
    ASSERT_TRUE(WriteBytes(PathOf(1), stale));
    Installer installer;
    ASSERT_TRUE(installer.Showing());
    EXPECT_SHOWS(installer, shown::Ready, shown::InstallCaption, true);
    installer.ClickInstall();
    EXPECT_SHOWS(installer, shown::Warning, shown::ForceCaption, true);
    EXPECT_TRUE(ReadBytes(PathOf(1)) == stale) << "nothing is replaced before the second press";
    EXPECT_FALSE(Exists(PathOf(0)));
    installer.ClickInstall();
    EXPECT_SHOWS(installer, shown::Installed, shown::ForceCaption, false);
    ExpectBothInstalled();
    EXPECT_EQ(0u, installer.Close());
}

// ---- Overwrite warning -> Install failed -> Installed ----

// A read-only older script stays as it was, so the press after the warning fails; once the user
// clears the attribute, the next press installs at once, with no second warning.
TEST_F(EndToEnd, AReadOnlyOlderScriptFailsUntilItsAttributeIsCleared) {
    const std::string older = "-- Turnix 0.0.0\r\n";
    ASSERT_TRUE(WriteBytes(PathOf(0), older));
    ASSERT_TRUE(SetFileAttributesW(PathOf(0).c_str(), FILE_ATTRIBUTE_READONLY));
    Installer installer;
    ASSERT_TRUE(installer.Showing());
    installer.ClickInstall();
    EXPECT_SHOWS(installer, shown::Warning, shown::ForceCaption, true);
    installer.ClickInstall();
    EXPECT_SHOWS(installer, shown::Failed, shown::ForceCaption, true);
    EXPECT_TRUE(ReadBytes(PathOf(0)) == older);
    EXPECT_TRUE(ReadBytes(PathOf(1)) == script_[1]);
    ASSERT_TRUE(SetFileAttributesW(PathOf(0).c_str(), FILE_ATTRIBUTE_NORMAL));
    installer.ClickInstall();
    EXPECT_SHOWS(installer, shown::Installed, shown::ForceCaption, false);
    ExpectBothInstalled();
    EXPECT_EQ(0u, installer.Close());
}

// ---- Any state: the link icon ----

TEST_F(EndToEnd, TheLinkIconOpensTheAuthorsPageOnce) {
    const std::wstring record = RecordOpenedPages();
    Installer installer;
    ASSERT_TRUE(installer.Showing());
    installer.ClickLinkIcon();
    WaitForRecord(record);
    Sleep(2000);  // a second opening would have come by now
    EXPECT_EQ(std::string(shown::AuthorUrl) + "\n", ReadBytes(record));
    EXPECT_SHOWS(installer, shown::Ready, shown::InstallCaption, true);
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
    ASSERT_TRUE(CopyFileW(ProgramPath().c_str(), (downloads + program).c_str(), TRUE));
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

    Installer installer(downloads + program, L"", downloads.c_str());
    ASSERT_TRUE(installer.Showing());
    EXPECT_SHOWS(installer, shown::Ready, shown::InstallCaption, true);
    installer.ClickInstall();
    EXPECT_SHOWS(installer, shown::Installed, shown::InstallCaption, false);
    ExpectBothInstalled();
    installer.ClickLinkIcon();
    WaitForRecord(record);
    EXPECT_EQ(std::string(shown::AuthorUrl) + "\n", ReadBytes(record));
    EXPECT_EQ(0u, installer.Close());
    for (const std::wstring& file : planted)
        EXPECT_FALSE(Exists(downloads + file + L".loaded")) << "loaded from beside the program: " << file;
}

// Under --code-page-cases only the cases of AnyCodePage run, and all of them must: a run that
// matched fewer, or none, would otherwise pass on what it skipped.
constexpr char CodePageSuite[] = "AnyCodePage";

bool AllCodePageCasesRan() {
    const testing::UnitTest& run = *testing::UnitTest::GetInstance();
    for (int i = 0; i < run.total_test_suite_count(); ++i) {
        const testing::TestSuite& suite = *run.GetTestSuite(i);
        if (std::strcmp(suite.name(), CodePageSuite) == 0)
            return suite.total_test_count() > 0 && suite.test_to_run_count() == suite.total_test_count() &&
                   run.test_to_run_count() == suite.total_test_count();
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const bool codePageCases = argc > 1 && std::strcmp(argv[1], "--code-page-cases") == 0;
    if (codePageCases) testing::GTEST_FLAG(filter) = std::string(CodePageSuite) + ".*";
    const int result = RUN_ALL_TESTS();
    if (codePageCases && !AllCodePageCasesRan()) {
        std::printf("FAILED: not every case of %s ran under this code page\n", CodePageSuite);
        return 1;
    }
    return result;
}
