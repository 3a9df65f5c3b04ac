#include "ExtensionFolder.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string FromShellAnswer(const std::string& answer)
{
    return ExtensionFolderFrom(LocalAppDataFolderFrom(answer));
}

TEST(ExtensionFolderFrom, ExampleLayouts)
{
    struct Row {
        const char* shell;
        const char* folder;
    };
    const Row rows[] = {
        {"C:\\Users\\user\\AppData\\Local", "c:\\users\\user\\appdata\\roaming\\"},
        {"C:\\Users\\user\\AppData\\LOCAL", "c:\\users\\user\\appdata\\roaming\\"},
        {"C:\\Users\\Local\\AppData\\Local", "c:\\users\\roaming\\appdata\\roaming\\"},
        {"C:\\Data\\Local\\Local", "c:\\data\\roaming\\local\\"},
        {"D:\\Profiles\\user\\Local Settings\\Application Data",
         "d:\\profiles\\user\\local settings\\application data\\"},
        {"C:\\Users\\x\\LoCaL\\Temp", "c:\\users\\x\\roaming\\temp\\"},
        {"C:\\Locale\\Localhost\\AppData", "c:\\locale\\localhost\\appdata\\"},
        {"\\Local", "\\roaming\\"},
        {"C:\\a\\Local\\\\Local\\b", "c:\\a\\roaming\\\\roaming\\b\\"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shell);
        EXPECT_EQ(FromShellAnswer(row.shell), row.folder);
    }
}

TEST(ExtensionFolderFrom, BlanksAndEmptyAnswers)
{
    EXPECT_EQ(LocalAppDataFolderFrom("  C:\\Users\\u\\AppData\\Local  "),
              "C:\\Users\\u\\AppData\\Local\\");
    EXPECT_EQ(FromShellAnswer("  C:\\Users\\u\\AppData\\Local  "),
              "c:\\users\\u\\appdata\\roaming\\");
    // Only the space character is a blank here: tabs stay, and keep "\local" unmatched.
    EXPECT_EQ(FromShellAnswer("\tC:\\U\\Local\t"), "\tc:\\u\\local\t\\");
    EXPECT_EQ(FromShellAnswer("C:\\My Local \\x"), "c:\\my local \\x\\");
    EXPECT_EQ(FromShellAnswer(""), "\\");
    EXPECT_EQ(FromShellAnswer("   "), "\\");
}

TEST(ExtensionFolderFrom, LowersTheAnsiCodePage)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "needs code page 1252, got " << GetACP();
    EXPECT_EQ(FromShellAnswer("C:\\Users\\\xC9LODIE \xC0\xDC\\AppData\\Local"),
              "c:\\users\\\xE9lodie \xE0\xFC\\appdata\\roaming\\");
}

// The real shell query, made controllable through the user's redirected folder.
class LocalAppDataTest : public ::testing::Test {
protected:
    static constexpr const char* kShellFolders =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const char* kValue = "Local AppData";

    void SetUp() override
    {
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &key_),
                  ERROR_SUCCESS);
        DWORD size = 0;
        saved_ = RegQueryValueExA(key_, kValue, nullptr, &savedType_, nullptr, &size) ==
                 ERROR_SUCCESS;
        if (saved_) {
            savedData_.resize(size);
            RegQueryValueExA(key_, kValue, nullptr, &savedType_, savedData_.data(), &size);
        }
    }

    void TearDown() override
    {
        if (saved_)
            RegSetValueExA(key_, kValue, 0, savedType_, savedData_.data(),
                           static_cast<DWORD>(savedData_.size()));
        else
            RegDeleteValueA(key_, kValue);
        RegCloseKey(key_);
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            RemoveDirectoryA(it->c_str());
    }

    void Redirect(const std::string& folder)
    {
        ASSERT_EQ(RegSetValueExA(key_, kValue, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(folder.c_str()),
                                 static_cast<DWORD>(folder.size() + 1)),
                  ERROR_SUCCESS);
    }

    void MakeFolder(const std::string& folder)
    {
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        created_.push_back(folder);
    }

    static bool Exists(const std::string& path)
    {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    HKEY key_ = nullptr;
    bool saved_ = false;
    DWORD savedType_ = 0;
    std::vector<BYTE> savedData_;
    std::vector<std::string> created_;
};

TEST_F(LocalAppDataTest, UsualLayoutGivesTheRoamingFolder)
{
    char roaming[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming), S_OK);
    std::string expected = roaming;
    CharLowerBuffA(&expected[0], static_cast<DWORD>(expected.size()));
    EXPECT_EQ(GetExtensionFolder(), expected + "\\");
}

TEST_F(LocalAppDataTest, RedirectedFolderIsLoweredAndNotCreated)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "needs code page 1252, got " << GetACP();
    const std::string base = "C:\\Turnix Test \xC9T\xC9";
    MakeFolder(base);
    MakeFolder(base + "\\Local");
    Redirect(base + "\\Local");

    EXPECT_EQ(GetLocalAppDataFolder(), base + "\\Local\\");
    const std::string first = GetExtensionFolder();
    EXPECT_EQ(first, "c:\\turnix test \xE9t\xE9\\roaming\\");
    EXPECT_EQ(GetExtensionFolder(), first);
    EXPECT_FALSE(Exists(base + "\\Roaming"));
}

TEST_F(LocalAppDataTest, FollowsAChangeBetweenCalls)
{
    const std::string base = "C:\\Turnix Test Change";
    MakeFolder(base);
    MakeFolder(base + "\\One");
    MakeFolder(base + "\\Two");
    Redirect(base + "\\One");
    EXPECT_EQ(GetExtensionFolder(), "c:\\turnix test change\\one\\");
    Redirect(base + "\\Two");
    EXPECT_EQ(GetExtensionFolder(), "c:\\turnix test change\\two\\");
}

TEST_F(LocalAppDataTest, MissingFolderFailsTheQueryAndIsNotCreated)
{
    // Without CSIDL_FLAG_CREATE the shell refuses a folder that does not exist.
    const std::string missing = "C:\\Turnix Test Missing\\Local";
    Redirect(missing);
    EXPECT_EQ(GetLocalAppDataFolder(), "\\");
    EXPECT_EQ(GetExtensionFolder(), "\\");
    EXPECT_FALSE(Exists(missing));
    EXPECT_FALSE(Exists("C:\\Turnix Test Missing"));
}

} // namespace
