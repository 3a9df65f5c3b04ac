// Script installation on the real (Wine) file system. Each case steers the shell's local
// application-data folder to its own scratch folder ...\<case>\Local, so the scripts land in
// ...\<case>\roaming\vlc\lua\extensions\. Expected bytes come from the script files copied
// into the build folder, never from the code under test.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "ExtensionFolder.h"
#include "ScriptInstall.h"
#include "support/TestFiles.h"

namespace {

const char* const FileNames[2] = {"Turnix+90\xB0.lua", "Turnix-90\xB0.lua"};
const char* const SourceFiles[2] = {"turnix-cw.lua", "turnix-ccw.lua"};
const char ShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void SetLocalAppData(const std::string& folder)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, ShellFoldersKey, "Local AppData", REG_EXPAND_SZ, folder.c_str(),
                    static_cast<DWORD>(folder.size() + 1));
}

// One registry value, put back as it was (or deleted if it was not there).
class SavedValue {
public:
    explicit SavedValue(const char* key) : key_(key)
    {
        DWORD size = sizeof data_;
        had_ = RegGetValueA(HKEY_CURRENT_USER, key_, "Local AppData", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                            &type_, data_, &size) == ERROR_SUCCESS;
    }
    void Restore() const
    {
        if (had_)
            RegSetKeyValueA(HKEY_CURRENT_USER, key_, "Local AppData", type_, data_, static_cast<DWORD>(strlen(data_) + 1));
        else
            RegDeleteKeyValueA(HKEY_CURRENT_USER, key_, "Local AppData");
    }

private:
    const char* key_;
    bool had_ = false;
    DWORD type_ = REG_EXPAND_SZ;
    char data_[MAX_PATH * 2] = {};
};

// Puts the prefix's own "Local AppData" back after the run, with the copy the shell caches.
class ShellFolderSandbox : public testing::Environment {
public:
    void TearDown() override
    {
        userShellFolders_.Restore();
        shellFolders_.Restore();
    }

private:
    SavedValue userShellFolders_{ShellFoldersKey};
    SavedValue shellFolders_{"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"};
};
const testing::Environment* const sandbox = testing::AddGlobalTestEnvironment(new ShellFolderSandbox);

class InstallTest : public testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        caseFolder_ = std::string(temp) + "turnix-install\\" +
                      testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        RemoveTree(caseFolder_);
        UseBase(caseFolder_);
        for (int i = 0; i < 2; ++i) {
            script_[i] = ReadBytes(TestFolder() + "script-copies\\" + SourceFiles[i]);
            ASSERT_FALSE(script_[i].empty()) << SourceFiles[i] << " was not copied to the build folder";
        }
    }

    // Steers the shell to base\Local and creates base\roaming\vlc\lua\extensions\.
    void UseBase(const std::string& base)
    {
        roaming_ = Lower(base) + "roaming\\";
        extensions_ = roaming_ + "vlc\\lua\\extensions\\";
        MakeFolders(base + "Local\\");
        MakeFolders(extensions_);
        SetLocalAppData(base + "Local");
    }

    std::string PathOf(int i) const { return extensions_ + FileNames[i]; }
    // The path as the program builds it: two backslashes where folder and relative path meet.
    std::string JoinedPath(int i) const { return roaming_ + "\\vlc\\lua\\extensions\\" + FileNames[i]; }
    std::string Stale(int i) const { return "-- older script, longer than the new one\r\n" + script_[i] + script_[i]; }
    void ExpectInstalled(int i) const
    {
        EXPECT_EQ(ReadBytes(PathOf(i)), script_[i]) << FileNames[i];
        EXPECT_TRUE(IsScriptPresent(ScriptTable[i]));
        EXPECT_TRUE(HoldsScript(ScriptTable[i]));
    }

    std::string caseFolder_;
    std::string roaming_;
    std::string extensions_;
    std::string script_[2];
};

TEST_F(InstallTest, FirstInstallationWritesBothScriptsByteForByte)
{
    EXPECT_FALSE(IsScriptPresent(ScriptTable[0]) || IsScriptPresent(ScriptTable[1]));
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    InstallScripts();
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX)) << "previous error mode not restored";

    EXPECT_EQ(ListFolder(extensions_), std::vector<std::string>({FileNames[0], FileNames[1]}));
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(FileNames[i]);
        EXPECT_EQ(LoadDataResource(ScriptTable[i].resourceName), script_[i]);
        EXPECT_EQ(ScriptPath(ScriptTable[i]), JoinedPath(i));
        ExpectInstalled(i);
    }
}

TEST_F(InstallTest, LinuxSideNamesCarryTheDegreeSign)
{
    using UnixName = char*(CDECL*)(const WCHAR*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
    if (!unixName || GetACP() != 1252)
        GTEST_SKIP() << "needs Wine with code page 1252";
    InstallScripts();
    const char* const linuxNames[2] = {"/Turnix+90\xC2\xB0.lua", "/Turnix-90\xC2\xB0.lua"};
    for (int i = 0; i < 2; ++i) {
        WCHAR wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, PathOf(i).c_str(), -1, wide, MAX_PATH);
        char* name = unixName(wide);
        ASSERT_NE(name, nullptr);
        const std::string unixPath = name;
        HeapFree(GetProcessHeap(), 0, name);
        EXPECT_EQ(unixPath.substr(unixPath.rfind('/')), linuxNames[i]);
    }
}

// Earlier files are removed and created anew: a name in other case comes back in the script's own.
TEST_F(InstallTest, EarlierFilesAreReplacedWithoutOldTail)
{
    WriteBytes(extensions_ + "TURNIX+90\xB0.LUA", Stale(0));
    WriteBytes(PathOf(1), Stale(1));
    InstallScripts();
    EXPECT_EQ(ListFolder(extensions_), std::vector<std::string>({FileNames[0], FileNames[1]}));
    ExpectInstalled(0);
    ExpectInstalled(1);
}

TEST_F(InstallTest, OnlyOneEarlierFileStillWritesBoth)
{
    WriteBytes(PathOf(1), Stale(1));
    InstallScripts();
    ExpectInstalled(0);
    ExpectInstalled(1);
}

TEST_F(InstallTest, MissingExtensionsFolderCreatesNothing)
{
    for (const char* parent : {"vlc\\lua\\", ""}) {
        const std::string folder = roaming_ + parent;
        RemoveTree(folder + ListFolder(folder).at(0) + "\\");
        InstallScripts();
        EXPECT_TRUE(ListFolder(folder).empty()) << "something was created in " << folder;
        EXPECT_FALSE(IsScriptPresent(ScriptTable[0]) || IsScriptPresent(ScriptTable[1]));
        EXPECT_FALSE(HoldsScript(ScriptTable[0]) || HoldsScript(ScriptTable[1]));
    }
}

// Same size as the script but one byte off, so only a full content check tells them apart.
TEST_F(InstallTest, ReadOnlyEarlierFileStaysUnchangedAndIsNotTheScript)
{
    std::string older = script_[0];
    older[older.size() / 2] ^= 1;
    WriteBytes(PathOf(0), older);
    ASSERT_TRUE(SetFileAttributesA(PathOf(0).c_str(), FILE_ATTRIBUTE_READONLY));
    InstallScripts();
    EXPECT_EQ(ReadBytes(PathOf(0)), older);
    EXPECT_TRUE(IsScriptPresent(ScriptTable[0]));
    EXPECT_FALSE(HoldsScript(ScriptTable[0]));
    ExpectInstalled(1);
}

// Such files survive the removal and are rewritten in place: the old tail must not remain.
TEST_F(InstallTest, HiddenOrSystemEarlierFileEndsUpExact)
{
    for (DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        SCOPED_TRACE(attribute);
        WriteBytes(PathOf(0), Stale(0));
        ASSERT_TRUE(SetFileAttributesA(PathOf(0).c_str(), attribute));
        InstallScripts();
        EXPECT_TRUE(GetFileAttributesA(PathOf(0).c_str()) & attribute) << "file was removed, not rewritten";
        ExpectInstalled(0);
        ExpectInstalled(1);
        SetFileAttributesA(PathOf(0).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(InstallTest, FolderBearingAScriptNameIsLeftAlone)
{
    ASSERT_TRUE(CreateDirectoryA(PathOf(0).c_str(), nullptr));
    WriteBytes(PathOf(0) + "\\inside.txt", "kept");
    InstallScripts();
    EXPECT_EQ(ReadBytes(PathOf(0) + "\\inside.txt"), "kept");
    EXPECT_TRUE(IsScriptPresent(ScriptTable[0]));
    EXPECT_FALSE(HoldsScript(ScriptTable[0]));
    ExpectInstalled(1);
}

// The scripts are opened for exclusive use, so even a holder that shares reading and writing wins.
TEST_F(InstallTest, FileHeldOpenElsewhereIsNotTouched)
{
    for (DWORD holderSharing : {0ul, static_cast<unsigned long>(FILE_SHARE_READ | FILE_SHARE_WRITE)}) {
        SCOPED_TRACE(holderSharing);
        WriteBytes(PathOf(0), Stale(0));
        HANDLE held = CreateFileA(PathOf(0).c_str(), GENERIC_READ, holderSharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(RemoveFile(PathOf(0)));
        InstallScripts();
        EXPECT_TRUE(IsScriptPresent(ScriptTable[0]));
        EXPECT_FALSE(HoldsScript(ScriptTable[0]));
        CloseHandle(held);
        EXPECT_EQ(ReadBytes(PathOf(0)), Stale(0));
        ExpectInstalled(1);
    }
}

TEST_F(InstallTest, MissingResourceGivesEmptyBytesAndAnEmptyFile)
{
    EXPECT_EQ(LoadDataResource("NOSUCHSCRIPT"), "");
    WriteBytes(PathOf(0), Stale(0));
    EXPECT_TRUE(WriteWholeFile(PathOf(0), LoadDataResource("NOSUCHSCRIPT")));
    EXPECT_TRUE(IsFilePresent(PathOf(0)));
    EXPECT_EQ(ReadBytes(PathOf(0)), "");
}

TEST_F(InstallTest, PresenceIgnoresADoubledBackslash)
{
    WriteBytes(PathOf(0), "x");
    const std::string folder = extensions_.substr(0, extensions_.size() - 1);
    for (int i = 0; i < 2; ++i) {
        const bool single = IsFilePresent(folder + "\\" + FileNames[i]);
        EXPECT_EQ(single, i == 0);
        EXPECT_EQ(IsFilePresent(folder + "\\\\" + FileNames[i]), single) << FileNames[i];
    }
    EXPECT_TRUE(IsFilePresent(folder)) << "a folder counts as present";
}

TEST(FileStepsTest, DriveThatDoesNotExistFailsQuietly)
{
    const DWORD drives = GetLogicalDrives();
    char letter = 'Z';
    while (letter > 'D' && (drives & (1u << (letter - 'A'))))
        --letter;
    ASSERT_FALSE(drives & (1u << (letter - 'A'))) << "no unmapped drive letter";
    const std::string path = std::string(1, letter) + ":\\vlc\\lua\\extensions\\" + FileNames[0];

    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(IsFilePresent(path));
    EXPECT_EQ(GetLastError(), 0xDEADBEEFu) << "the failed query left a trace";
    EXPECT_FALSE(RemoveFile(path));
    EXPECT_FALSE(WriteWholeFile(path, "x"));
    EXPECT_FALSE(FileHoldsExactly(path, "x"));
    EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX)) << "previous error mode not restored";
}

// A failed folder query leaves the base "\", and the joined paths would name \\vlc\lua\... .
// Wine serves such a share from dosdevices\unc, so the test can plant files there and see
// that they are neither removed, nor rewritten, nor taken as installed scripts.
TEST_F(InstallTest, FailedFolderQueryTouchesNothing)
{
    char prefix[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH))
        GTEST_SKIP() << "needs a Wine prefix";
    std::string share = std::string("Z:") + prefix + "\\dosdevices\\unc\\";
    std::replace(share.begin(), share.end(), '/', '\\');
    MakeFolders(share + "vlc\\lua\\extensions\\");
    for (int i = 0; i < 2; ++i)
        WriteBytes(share + "vlc\\lua\\extensions\\" + FileNames[i], Stale(i));
    const std::string planted = std::string("\\\\vlc\\lua\\extensions\\") + FileNames[0];
    const bool reachable = GetFileAttributesA(planted.c_str()) != INVALID_FILE_ATTRIBUTES;

    SetLocalAppData(caseFolder_ + "no such folder\\Local");
    ASSERT_EQ(GetExtensionFolder(), "\\");
    EXPECT_EQ(ScriptPath(ScriptTable[0]), "");
    InstallScripts();
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(IsScriptPresent(ScriptTable[i]));
        EXPECT_FALSE(HoldsScript(ScriptTable[i]));
        EXPECT_EQ(ReadBytes(share + "vlc\\lua\\extensions\\" + FileNames[i]), Stale(i));
    }
    RemoveTree(share + "vlc\\");
    EXPECT_TRUE(reachable) << "the planted share was not reachable, so this case proved less";
}

// The file steps take at most 255 characters; a longer script path must not be cut to name
// another entry (here "Turnix+90\xB0.lu"), and such a script is not attempted at all.
TEST_F(InstallTest, OverlongPathIsRefusedNotCut)
{
    for (std::size_t length : {MaxFilePathLength, MaxFilePathLength + 1}) {
        SCOPED_TRACE(length);
        const std::size_t fixed = caseFolder_.size() + std::string("\\roaming\\").size() + 34;
        const std::string base = caseFolder_ + std::string(length - fixed, 'p') + "\\";
        UseBase(base);
        ASSERT_EQ(JoinedPath(0).size(), length);
        const std::string cut = JoinedPath(0).substr(0, MaxFilePathLength);
        WriteBytes(cut, "canary");
        InstallScripts();
        if (length <= MaxFilePathLength) {
            ExpectInstalled(0);
            ExpectInstalled(1);
        } else {
            EXPECT_EQ(ReadBytes(cut), "canary");
            EXPECT_EQ(ListFolder(extensions_), std::vector<std::string>({cut.substr(cut.rfind('\\') + 1)}));
            EXPECT_EQ(ScriptPath(ScriptTable[0]), "");
            EXPECT_FALSE(IsScriptPresent(ScriptTable[0]) || HoldsScript(ScriptTable[0]));
        }
    }
}

}  // namespace
