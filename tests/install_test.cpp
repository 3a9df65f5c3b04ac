// Script installation on the real (Wine) file system. Each case steers the shell's roaming
// application-data folder to its own scratch folder ...\<case>\Roaming, so the scripts land in
// ...\<case>\roaming\vlc\lua\extensions\. The scratch folders are named with letters outside
// every ANSI code page, as an account folder may be. Expected bytes come from the script files
// copied into the build folder, never from the code under test.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "ExtensionFolder.h"
#include "ScriptInstall.h"
#include "VlcSettings.h"
#include "support/Files.h"
#include "support/ShellFolders.h"
#include "support/TestCase.h"

namespace {

const wchar_t* const FileNames[2] = {L"Turnix+90°.lua", L"Turnix-90°.lua"};
const wchar_t* const SourceFiles[2] = {L"turnix-cw.lua", L"turnix-ccw.lua"};

using Names = std::vector<std::wstring>;

class InstallTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GetCaseFolder(L"install Алексей 李雷", caseFolder_));
        ASSERT_NO_FATAL_FAILURE(UseRoaming(caseFolder_ + L"Roaming"));
        for (int i = 0; i < 2; ++i) {
            script_[i] = ReadBytes(ExeFolder() + L"script-copies\\" + SourceFiles[i]);
            ASSERT_FALSE(script_[i].empty()) << SourceFiles[i] << " was not copied to the build folder";
        }
    }

    // Steers the shell's roaming folder there and creates it with vlc\lua\extensions\ inside.
    void UseRoaming(const std::wstring& folder) {
        roaming_ = Lower(folder) + L"\\";
        extensions_ = roaming_ + L"vlc\\lua\\extensions\\";
        MakeFolders(extensions_);
        ASSERT_TRUE(shellFolders_.Point(ShellFolderRedirect::Roaming, folder));
    }

    std::wstring PathOf(int i) const { return extensions_ + FileNames[i]; }
    std::string Stale(int i) const {
        return "-- older script, longer than the new one\r\n" + script_[i] + script_[i];
    }
    void ExpectInstalled(int i) const { EXPECT_EQ(ReadBytes(PathOf(i)), script_[i]) << FileNames[i]; }
    void ExpectBothInstalled() const {
        ExpectInstalled(0);
        ExpectInstalled(1);
        EXPECT_TRUE(AnyScriptPresent());
        EXPECT_TRUE(BothScriptsHeld());
    }
    // Script 0 stayed as something else: present, but not held.
    void ExpectOnlySecondInstalled() const {
        ExpectInstalled(1);
        EXPECT_TRUE(AnyScriptPresent());
        EXPECT_FALSE(BothScriptsHeld());
    }
    void ExpectNeitherInstalled() const {
        EXPECT_FALSE(AnyScriptPresent());
        EXPECT_FALSE(BothScriptsHeld());
    }

    ShellFolderRedirect shellFolders_;
    std::wstring caseFolder_;
    std::wstring roaming_;
    std::wstring extensions_;
    std::string script_[2];
};

TEST_F(InstallTest, FirstInstallationWritesBothScriptsByteForByte) {
    EXPECT_FALSE(AnyScriptPresent());
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    InstallScripts();
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX)) << "previous error mode not restored";

    EXPECT_EQ(ListFolder(extensions_), Names({FileNames[0], FileNames[1]}));
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(FileNames[i]);
        EXPECT_EQ(LoadDataResource(ScriptTable[i].resourceName), script_[i]);
    }
    ExpectBothInstalled();
    // The case folder's letters are in no single code page, so VLC could not open these.
    EXPECT_EQ(BothPathsVlcCanOpen(), GetACP() == CP_UTF8);
}

TEST_F(InstallTest, LinuxSideNamesCarryTheDegreeSign) {
    using UnixName = char*(CDECL*)(const WCHAR*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!unixName) GTEST_SKIP() << "needs Wine";
    InstallScripts();
    const char* const linuxNames[2] = {"/Turnix+90\xC2\xB0.lua", "/Turnix-90\xC2\xB0.lua"};
    for (int i = 0; i < 2; ++i) {
        ASSERT_NE(GetFileAttributesW(PathOf(i).c_str()), INVALID_FILE_ATTRIBUTES) << "not installed";
        char* name = unixName(PathOf(i).c_str());
        ASSERT_NE(name, nullptr);
        const std::string unixPath = name;
        HeapFree(GetProcessHeap(), 0, name);
        EXPECT_EQ(unixPath.substr(unixPath.rfind('/')), linuxNames[i]);
    }
}

// Earlier files are removed and created anew: a name in other case comes back in the script's own.
TEST_F(InstallTest, EarlierFilesAreReplacedWithoutOldTail) {
    WriteBytes(extensions_ + L"TURNIX+90°.LUA", Stale(0));
    WriteBytes(PathOf(1), Stale(1));
    InstallScripts();
    EXPECT_EQ(ListFolder(extensions_), Names({FileNames[0], FileNames[1]}));
    ExpectBothInstalled();
}

TEST_F(InstallTest, OnlyOneEarlierFileStillWritesBoth) {
    WriteBytes(PathOf(1), Stale(1));
    EXPECT_TRUE(AnyScriptPresent()) << "the second script alone counts as present";
    InstallScripts();
    ExpectBothInstalled();
}

// VLC makes no extensions folder of its own: a first installation makes what is missing, leaves
// what is there, and the presence tests before it make nothing.
TEST_F(InstallTest, MakesTheMissingFolders) {
    const std::wstring lua = roaming_ + L"vlc\\lua\\";
    for (const bool vlcMissing : {false, true}) {
        SCOPED_TRACE(vlcMissing ? "no vlc folder" : "no extensions folder");
        RemoveTree(vlcMissing ? roaming_ + L"vlc\\" : extensions_);
        if (!vlcMissing) WriteBytes(lua + L"other.lua", "kept");
        ExpectNeitherInstalled();
        EXPECT_EQ(ListFolder(vlcMissing ? roaming_ : lua), vlcMissing ? Names() : Names({L"other.lua"}))
            << "a presence test made a folder";

        InstallScripts();
        EXPECT_EQ(ListFolder(roaming_), Names({L"vlc"}));
        EXPECT_EQ(ListFolder(roaming_ + L"vlc\\"), Names({L"lua"}));
        EXPECT_EQ(ListFolder(lua),
                  vlcMissing ? Names({L"extensions"}) : Names({L"extensions", L"other.lua"}));
        EXPECT_EQ(ListFolder(extensions_), Names({FileNames[0], FileNames[1]}));
        ExpectBothInstalled();
        if (!vlcMissing) {
            EXPECT_EQ(ReadBytes(lua + L"other.lua"), "kept");
        }
    }
}

// An unpacked VLC that has run leaves its settings file in <roaming>vlc\. A folder of that name, or
// the folders and scripts this program makes, are no such evidence, and looking changes nothing.
TEST_F(InstallTest, VlcSettingsAreFilesBesideTheExtensionsFolder) {
    const std::wstring vlc = roaming_ + L"vlc\\";
    struct Row {
        const char* what;
        const wchar_t* file;    // made as a file, or nullptr
        const wchar_t* folder;  // made as a folder, or nullptr
        bool found;
    };
    const Row rows[] = {
        {"only this program's folders and scripts", nullptr, nullptr, false},
        {"a folder named vlcrc", nullptr, L"vlcrc", false},
        {"a folder named vlc-qt-interface.ini", nullptr, L"vlc-qt-interface.ini", false},
        {"vlcrc", L"vlcrc", nullptr, true},
        {"vlc-qt-interface.ini alone", L"vlc-qt-interface.ini", nullptr, true},
    };
    InstallScripts();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.file) WriteBytes(vlc + row.file, "[qt]\r\n");
        if (row.folder) {
            ASSERT_TRUE(CreateDirectoryW((vlc + row.folder).c_str(), nullptr));
        }
        const Names before = ListFolder(vlc);
        EXPECT_EQ(VlcSettingsFound(), row.found);
        EXPECT_EQ(ListFolder(vlc), before);
        if (row.file) {
            // Looking opens nothing: a file that VLC holds without sharing still counts.
            HANDLE held =
                CreateFileW((vlc + row.file).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
            EXPECT_TRUE(VlcSettingsFound()) << "while held open";
            CloseHandle(held);
            EXPECT_EQ(ReadBytes(vlc + row.file), "[qt]\r\n");
            DeleteFileW((vlc + row.file).c_str());
        }
        if (row.folder) RemoveDirectoryW((vlc + row.folder).c_str());
    }

    RemoveTree(vlc);
    EXPECT_FALSE(VlcSettingsFound()) << "no vlc folder";
    EXPECT_EQ(ListFolder(roaming_), Names()) << "the look made a folder";
    ASSERT_TRUE(shellFolders_.Point(ShellFolderRedirect::Roaming, caseFolder_ + L"no such folder\\Roaming"));
    EXPECT_FALSE(VlcSettingsFound()) << "no roaming folder";
    EXPECT_EQ(ListFolder(caseFolder_), Names({L"roaming"})) << "a folder was made for the missing one";
}

// A file where a folder belongs stops the folder making; the writes then fail, and the file stays.
TEST_F(InstallTest, FileInTheWayOfAFolderIsLeftAndNothingIsMade) {
    RemoveTree(roaming_ + L"vlc\\lua\\");
    WriteBytes(roaming_ + L"vlc\\lua", "not a folder");
    InstallScripts();
    EXPECT_EQ(ReadBytes(roaming_ + L"vlc\\lua"), "not a folder");
    EXPECT_EQ(ListFolder(roaming_ + L"vlc\\"), Names({L"lua"}));
    ExpectNeitherInstalled();
}

// A read-only earlier file stays as it was, and counts as installed only if it is exactly the
// script: one byte off at the same size, or the script with the tail of an older copy, is not.
TEST_F(InstallTest, ReadOnlyEarlierFileStaysUnchangedAndCountsOnlyIfExact) {
    std::string oneByteOff = script_[0];
    oneByteOff[oneByteOff.size() / 2] ^= 1;
    const std::pair<const char*, std::string> earlier[] = {
        {"one byte off", oneByteOff},
        {"the script with a tail", script_[0] + "\r\n-- the tail of an older copy\r\n"},
        {"an older, shorter script", "-- Turnix 0.0.0\r\n"},
        {"the script itself", script_[0]},
    };
    for (const auto& [what, bytes] : earlier) {
        SCOPED_TRACE(what);
        SetFileAttributesW(PathOf(0).c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteBytes(PathOf(0), bytes);
        ASSERT_TRUE(SetFileAttributesW(PathOf(0).c_str(), FILE_ATTRIBUTE_READONLY));
        InstallScripts();
        EXPECT_EQ(ReadBytes(PathOf(0)), bytes);
        if (bytes == script_[0]) {
            ExpectBothInstalled();
        } else {
            ExpectOnlySecondInstalled();
        }
    }
}

// Such files survive the removal and are rewritten in place: the old tail must not remain.
TEST_F(InstallTest, HiddenOrSystemEarlierFileEndsUpExact) {
    for (DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        SCOPED_TRACE(attribute);
        WriteBytes(PathOf(0), Stale(0));
        ASSERT_TRUE(SetFileAttributesW(PathOf(0).c_str(), attribute));
        InstallScripts();
        EXPECT_TRUE(GetFileAttributesW(PathOf(0).c_str()) & attribute) << "file was removed, not rewritten";
        ExpectBothInstalled();
        SetFileAttributesW(PathOf(0).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(InstallTest, FolderBearingAScriptNameIsLeftAlone) {
    ASSERT_TRUE(CreateDirectoryW(PathOf(0).c_str(), nullptr));
    WriteBytes(PathOf(0) + L"\\inside.txt", "kept");
    InstallScripts();
    EXPECT_EQ(ReadBytes(PathOf(0) + L"\\inside.txt"), "kept");
    ExpectOnlySecondInstalled();
}

// The scripts are opened for exclusive use, so even a holder that shares reading and writing wins.
TEST_F(InstallTest, FileHeldOpenElsewhereIsNotTouched) {
    for (DWORD holderSharing : {0ul, static_cast<unsigned long>(FILE_SHARE_READ | FILE_SHARE_WRITE)}) {
        SCOPED_TRACE(holderSharing);
        WriteBytes(PathOf(0), Stale(0));
        HANDLE held =
            CreateFileW(PathOf(0).c_str(), GENERIC_READ, holderSharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(RemoveFile(PathOf(0)));
        InstallScripts();
        ExpectOnlySecondInstalled();
        CloseHandle(held);
        EXPECT_EQ(ReadBytes(PathOf(0)), Stale(0));
    }
}

TEST_F(InstallTest, MissingResourceGivesEmptyBytesAndAnEmptyFile) {
    EXPECT_EQ(LoadDataResource("NOSUCHSCRIPT"), "");
    WriteBytes(PathOf(0), Stale(0));
    EXPECT_TRUE(WriteWholeFile(PathOf(0), LoadDataResource("NOSUCHSCRIPT")));
    EXPECT_TRUE(IsFilePresent(PathOf(0)));
    EXPECT_EQ(ReadBytes(PathOf(0)), "");
}

TEST_F(InstallTest, PresenceIgnoresADoubledBackslash) {
    WriteBytes(PathOf(0), "x");
    const std::wstring folder = extensions_.substr(0, extensions_.size() - 1);
    for (int i = 0; i < 2; ++i) {
        const bool single = IsFilePresent(folder + L"\\" + FileNames[i]);
        EXPECT_EQ(single, i == 0);
        EXPECT_EQ(IsFilePresent(folder + L"\\\\" + FileNames[i]), single) << FileNames[i];
    }
    EXPECT_TRUE(IsFilePresent(folder)) << "a folder counts as present";
}

TEST(FileStepsTest, DriveThatDoesNotExistFailsQuietly) {
    const DWORD drives = GetLogicalDrives();
    wchar_t letter = L'Z';
    while (letter > 'D' && (drives & (1u << (letter - 'A'))))
        --letter;
    ASSERT_FALSE(drives & (1u << (letter - 'A'))) << "no unmapped drive letter";
    const std::wstring path = std::wstring(1, letter) + L":\\vlc\\lua\\extensions\\" + FileNames[0];

    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(IsFilePresent(path));
    EXPECT_EQ(GetLastError(), 0xDEADBEEFu) << "the failed query left a trace";
    EXPECT_FALSE(RemoveFile(path));
    EXPECT_FALSE(MakeFolder(path.substr(0, path.rfind(L'\\'))));
    EXPECT_FALSE(WriteWholeFile(path, "x"));
    EXPECT_FALSE(FileHoldsExactly(path, "x"));
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX)) << "previous error mode not restored";
}

// A failed folder query (here: a roaming folder that does not exist) leaves the base "\", under
// which the script folder would name the network share \\vlc\lua.
// Wine serves such a share from dosdevices\unc, so the test can plant files there and see
// that they are neither removed, nor rewritten, nor taken as installed scripts.
TEST_F(InstallTest, FailedFolderQueryTouchesNothing) {
    wchar_t prefix[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH)) GTEST_SKIP() << "needs a Wine prefix";
    std::wstring share = std::wstring(L"Z:") + prefix + L"\\dosdevices\\unc\\";
    std::replace(share.begin(), share.end(), L'/', L'\\');
    MakeFolders(share + L"vlc\\lua\\extensions\\");
    for (int i = 0; i < 2; ++i)
        WriteBytes(share + L"vlc\\lua\\extensions\\" + FileNames[i], Stale(i));
    const std::wstring planted = std::wstring(L"\\\\vlc\\lua\\extensions\\") + FileNames[0];
    const bool reachable = GetFileAttributesW(planted.c_str()) != INVALID_FILE_ATTRIBUTES;

    ASSERT_TRUE(shellFolders_.Point(ShellFolderRedirect::Roaming, caseFolder_ + L"no such folder\\Roaming"));
    ASSERT_EQ(GetExtensionFolder(), L"\\");
    EXPECT_TRUE(GetScriptFolderChain().empty());
    InstallScripts();
    ExpectNeitherInstalled();
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(ReadBytes(share + L"vlc\\lua\\extensions\\" + FileNames[i]), Stale(i));
    }
    EXPECT_EQ(ListFolder(caseFolder_), Names({L"roaming"})) << "a folder was made for the missing one";
    RemoveTree(share + L"vlc\\");
    EXPECT_TRUE(reachable) << "the planted share was not reachable, so this case proved less";
}

// The file steps take at most 255 UTF-16 units; a longer script path must not be cut to name
// another entry (here "Turnix+90°.lu"), and such a script is not written at all.
TEST_F(InstallTest, OverlongPathIsRefusedNotCut) {
    const std::size_t belowRoaming = std::wstring(L"\\vlc\\lua\\extensions\\").size() + 14;
    for (std::size_t length : {MaxFilePathLength, MaxFilePathLength + 1}) {
        SCOPED_TRACE(length);
        ASSERT_NO_FATAL_FAILURE(
            UseRoaming(caseFolder_ + std::wstring(length - caseFolder_.size() - belowRoaming, L'p')));
        ASSERT_EQ(PathOf(0).size(), length);
        const std::wstring cut = PathOf(0).substr(0, MaxFilePathLength);
        WriteBytes(cut, "canary");
        InstallScripts();
        if (length <= MaxFilePathLength) {
            ExpectBothInstalled();
        } else {
            EXPECT_EQ(ReadBytes(cut), "canary");
            EXPECT_EQ(ListFolder(extensions_), Names({cut.substr(cut.rfind(L'\\') + 1)}));
            ExpectNeitherInstalled();
        }
    }
}

}  // namespace
