#include "ExtensionFolder.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/Files.h"
#include "support/ShellFolders.h"

namespace {

// Roaming folders that are not the local folder's twin with "\local\" turned into "\roaming\",
// relative to a scratch folder: an account named "Local", and a roaming folder redirected away
// from the local one, as to a server share. Plain letters, which every code page holds.
struct RoamingLayout {
    const wchar_t* roaming;
    const wchar_t* local;
};
constexpr RoamingLayout RoamingLayouts[] = {
    {L"Users\\Local\\AppData\\Roaming", L"Users\\Local\\AppData\\Local"},
    {L"Share\\Profiles\\user", L"Machine\\Local"},
};

// Account folders in any script, inside the ANSI code page or not, are lowered as text; nothing
// else is changed, whatever the words in the path.
TEST(ExtensionFolderFrom, ExampleLayouts) {
    struct Row {
        const wchar_t* shell;
        const wchar_t* folder;
    };
    const Row rows[] = {
        {L"C:\\Users\\user\\AppData\\Roaming", L"c:\\users\\user\\appdata\\roaming\\"},
        {L"C:\\Users\\Local\\AppData\\Roaming", L"c:\\users\\local\\appdata\\roaming\\"},
        {L"\\\\Server\\Profiles$\\user\\AppData", L"\\\\server\\profiles$\\user\\appdata\\"},
        {L"D:\\Profiles\\user\\Application Data", L"d:\\profiles\\user\\application data\\"},
        {L"C:\\Users\\Zoë MÜLLER\\AppData\\Roaming", L"c:\\users\\zoë müller\\appdata\\roaming\\"},
        {L"C:\\Users\\ДМИТРИЙ\\AppData\\Roaming", L"c:\\users\\дмитрий\\appdata\\roaming\\"},
        {L"C:\\Users\\李雷\\AppData\\Roaming", L"c:\\users\\李雷\\appdata\\roaming\\"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.shell)));
        EXPECT_EQ(ExtensionFolderFrom(row.shell), row.folder);
    }
}

TEST(ExtensionFolderFrom, BlanksAndEmptyAnswers) {
    EXPECT_EQ(ExtensionFolderFrom(L"  C:\\Users\\u\\AppData\\Roaming  "),
              L"c:\\users\\u\\appdata\\roaming\\");
    // Only the space character is a blank here: tabs stay.
    EXPECT_EQ(ExtensionFolderFrom(L"\tC:\\U\\Roaming\t"), L"\tc:\\u\\roaming\t\\");
    EXPECT_EQ(ExtensionFolderFrom(L""), L"\\");
    EXPECT_EQ(ExtensionFolderFrom(L"   "), L"\\");
}

// The lone "\" of a failed query must give no folder, not the network share \\vlc\lua.
TEST(ScriptFolderChainOf, FoldersBelowTheRoamingFolderOrNone) {
    EXPECT_EQ(ScriptFolderChainOf(L"c:\\users\\u\\appdata\\roaming\\"),
              std::vector<std::wstring>({L"c:\\users\\u\\appdata\\roaming\\vlc",
                                         L"c:\\users\\u\\appdata\\roaming\\vlc\\lua",
                                         L"c:\\users\\u\\appdata\\roaming\\vlc\\lua\\extensions"}));
    EXPECT_TRUE(ScriptFolderChainOf(L"\\").empty());
}

// The real shell query, made controllable through the user's redirected folders.
class RoamingFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = ScratchRoot();
        ASSERT_FALSE(root_.empty()) << "USERPROFILE is not set";
        MakeFolders(root_);
    }

    void TearDown() override {
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            RemoveDirectoryW(it->c_str());
    }

    void MakeFolder(const std::wstring& folder) {
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << folder;
        created_.push_back(folder);
    }
    // Points the shell's folder of that name at the folder, made first, with its parents.
    void Point(const wchar_t* name, const std::wstring& folder) {
        for (std::size_t at = folder.find(L'\\', root_.size()); at != std::wstring::npos;
             at = folder.find(L'\\', at + 1))
            if (!Exists(folder.substr(0, at))) {
                ASSERT_NO_FATAL_FAILURE(MakeFolder(folder.substr(0, at)));
            }
        ASSERT_NO_FATAL_FAILURE(MakeFolder(folder));
        ASSERT_TRUE(shellFolders_.Point(name, folder));
    }

    static bool Exists(const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    ShellFolderRedirect shellFolders_;
    std::wstring root_;
    std::vector<std::wstring> created_;
};

// VLC reads the roaming folder as the shell names it, also where it is not the local folder's twin.
TEST_F(RoamingFolderTest, IsTheShellsRoamingFolderWhereverItIs) {
    for (const RoamingLayout& layout : RoamingLayouts) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(layout.roaming)));
        const std::wstring roaming = root_ + L"Turnix Test Layouts\\" + layout.roaming;
        ASSERT_NO_FATAL_FAILURE(Point(ShellFolderRedirect::Roaming, roaming));
        ASSERT_NO_FATAL_FAILURE(
            Point(ShellFolderRedirect::Local, root_ + L"Turnix Test Layouts\\" + layout.local));
        const std::wstring first = GetExtensionFolder();
        EXPECT_EQ(first, Lower(roaming) + L"\\");
        EXPECT_EQ(GetExtensionFolder(), first);
        EXPECT_FALSE(Exists(roaming + L"\\vlc")) << "the query made a folder";
    }
}

// Letters of no single code page: an ANSI query would turn some of them into "?".
TEST_F(RoamingFolderTest, FollowsAChangeBetweenCalls) {
    const std::wstring base = root_ + L"Turnix Test ÉTÉ ДМИТРИЙ 李雷\\";
    ASSERT_NO_FATAL_FAILURE(Point(ShellFolderRedirect::Roaming, base + L"One"));
    EXPECT_EQ(GetExtensionFolder(), Lower(base) + L"one\\");
    ASSERT_NO_FATAL_FAILURE(Point(ShellFolderRedirect::Roaming, base + L"Two"));
    EXPECT_EQ(GetExtensionFolder(), Lower(base) + L"two\\");
}

TEST_F(RoamingFolderTest, MissingFolderFailsTheQueryAndIsNotCreated) {
    // Without CSIDL_FLAG_CREATE the shell refuses a folder that does not exist.
    const std::wstring missing = root_ + L"Turnix Test Missing\\Roaming";
    ASSERT_TRUE(shellFolders_.Point(ShellFolderRedirect::Roaming, missing));
    EXPECT_EQ(GetExtensionFolder(), L"\\");
    EXPECT_TRUE(GetScriptFolderChain().empty());
    EXPECT_FALSE(Exists(missing));
    EXPECT_FALSE(Exists(root_ + L"Turnix Test Missing"));
}

}  // namespace
