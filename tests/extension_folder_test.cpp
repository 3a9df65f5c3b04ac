#include "ExtensionFolder.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace {

std::wstring FromShellAnswer(const std::wstring& answer) {
    return ExtensionFolderFrom(LocalAppDataFolderFrom(answer));
}

// Account folders in any script, inside the ANSI code page or not, are lowered as text.
TEST(ExtensionFolderFrom, ExampleLayouts) {
    struct Row {
        const wchar_t* shell;
        const wchar_t* folder;
    };
    const Row rows[] = {
        {L"C:\\Users\\user\\AppData\\Local", L"c:\\users\\user\\appdata\\roaming\\"},
        {L"C:\\Users\\user\\AppData\\LOCAL", L"c:\\users\\user\\appdata\\roaming\\"},
        {L"C:\\Users\\Local\\AppData\\Local", L"c:\\users\\roaming\\appdata\\roaming\\"},
        {L"C:\\Data\\Local\\Local", L"c:\\data\\roaming\\local\\"},
        {L"D:\\Profiles\\user\\Local Settings\\Application Data",
         L"d:\\profiles\\user\\local settings\\application data\\"},
        {L"C:\\Users\\x\\LoCaL\\Temp", L"c:\\users\\x\\roaming\\temp\\"},
        {L"C:\\Locale\\Localhost\\AppData", L"c:\\locale\\localhost\\appdata\\"},
        {L"\\Local", L"\\roaming\\"},
        {L"C:\\a\\Local\\\\Local\\b", L"c:\\a\\roaming\\\\roaming\\b\\"},
        {L"C:\\Users\\Zoë MÜLLER\\AppData\\Local", L"c:\\users\\zoë müller\\appdata\\roaming\\"},
        {L"C:\\Users\\ДМИТРИЙ\\AppData\\Local", L"c:\\users\\дмитрий\\appdata\\roaming\\"},
        {L"C:\\Users\\李雷\\AppData\\Local", L"c:\\users\\李雷\\appdata\\roaming\\"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.shell)));
        EXPECT_EQ(FromShellAnswer(row.shell), row.folder);
    }
}

TEST(ExtensionFolderFrom, BlanksAndEmptyAnswers) {
    EXPECT_EQ(LocalAppDataFolderFrom(L"  C:\\Users\\u\\AppData\\Local  "), L"C:\\Users\\u\\AppData\\Local\\");
    EXPECT_EQ(FromShellAnswer(L"  C:\\Users\\u\\AppData\\Local  "), L"c:\\users\\u\\appdata\\roaming\\");
    // Only the space character is a blank here: tabs stay, and keep "\local" unmatched.
    EXPECT_EQ(FromShellAnswer(L"\tC:\\U\\Local\t"), L"\tc:\\u\\local\t\\");
    EXPECT_EQ(FromShellAnswer(L"C:\\My Local \\x"), L"c:\\my local \\x\\");
    EXPECT_EQ(FromShellAnswer(L""), L"\\");
    EXPECT_EQ(FromShellAnswer(L"   "), L"\\");
}

// The real shell query, made controllable through the user's redirected folder.
class LocalAppDataTest : public ::testing::Test {
protected:
    static constexpr const char* ShellFolders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const wchar_t* Value = L"Local AppData";

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GetScratchRoot(root_));
        MakeFolders(root_);
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ShellFolders, 0, KEY_ALL_ACCESS, &key_), ERROR_SUCCESS);
        DWORD size = 0;
        saved_ = RegQueryValueExW(key_, Value, nullptr, &savedType_, nullptr, &size) == ERROR_SUCCESS;
        if (saved_) {
            savedData_.resize(size);
            RegQueryValueExW(key_, Value, nullptr, &savedType_, savedData_.data(), &size);
        }
    }

    void TearDown() override {
        if (saved_)
            RegSetValueExW(key_, Value, 0, savedType_, savedData_.data(),
                           static_cast<DWORD>(savedData_.size()));
        else
            RegDeleteValueW(key_, Value);
        RegCloseKey(key_);
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            RemoveDirectoryW(it->c_str());
    }

    void Redirect(const std::wstring& folder) {
        ASSERT_EQ(RegSetValueExW(key_, Value, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

    void MakeFolder(const std::wstring& folder) {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << folder;
        created_.push_back(folder);
    }

    static bool Exists(const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::wstring root_;
    HKEY key_ = nullptr;
    bool saved_ = false;
    DWORD savedType_ = 0;
    std::vector<BYTE> savedData_;
    std::vector<std::wstring> created_;
};

TEST_F(LocalAppDataTest, UsualLayoutGivesTheRoamingFolder) {
    wchar_t roaming[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming), S_OK);
    EXPECT_EQ(GetExtensionFolder(), Lower(roaming) + L"\\");
}

// Letters of no single code page: an ANSI query would turn some of them into "?".
TEST_F(LocalAppDataTest, RedirectedFolderIsLoweredAndNotCreated) {
    const std::wstring base = root_ + L"Turnix Test ÉTÉ ДМИТРИЙ 李雷";
    MakeFolder(base);
    MakeFolder(base + L"\\Local");
    Redirect(base + L"\\Local");

    EXPECT_EQ(GetLocalAppDataFolder(), base + L"\\Local\\");
    const std::wstring first = GetExtensionFolder();
    EXPECT_EQ(first, Lower(root_) + L"turnix test été дмитрий 李雷\\roaming\\");
    EXPECT_EQ(GetExtensionFolder(), first);
    EXPECT_FALSE(Exists(base + L"\\Roaming"));
}

TEST_F(LocalAppDataTest, FollowsAChangeBetweenCalls) {
    const std::wstring base = root_ + L"Turnix Test Change";
    MakeFolder(base);
    MakeFolder(base + L"\\One");
    MakeFolder(base + L"\\Two");
    Redirect(base + L"\\One");
    EXPECT_EQ(GetExtensionFolder(), Lower(root_) + L"turnix test change\\one\\");
    Redirect(base + L"\\Two");
    EXPECT_EQ(GetExtensionFolder(), Lower(root_) + L"turnix test change\\two\\");
}

TEST_F(LocalAppDataTest, MissingFolderFailsTheQueryAndIsNotCreated) {
    // Without CSIDL_FLAG_CREATE the shell refuses a folder that does not exist.
    const std::wstring missing = root_ + L"Turnix Test Missing\\Local";
    Redirect(missing);
    EXPECT_EQ(GetLocalAppDataFolder(), L"\\");
    EXPECT_EQ(GetExtensionFolder(), L"\\");
    EXPECT_FALSE(Exists(missing));
    EXPECT_FALSE(Exists(root_ + L"Turnix Test Missing"));
}

}  // namespace
