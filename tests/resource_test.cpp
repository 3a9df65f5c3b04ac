// The built program's file as Windows reads it: its RCDATA resources against the script files,
// and its version block. The file is loaded as data only (no code of it runs).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/TestCase.h"

namespace {

struct Script {
    const char* resource;
    const wchar_t* file;
};
constexpr Script Scripts[] = {{"RCW", L"turnix-cw.lua"}, {"RCCW", L"turnix-ccw.lua"}};
constexpr WORD EnglishUnitedStates = 1033;

// The copies that the build put beside this test (the source tree may be out of reach).
std::string ReadScriptFile(const wchar_t* name) { return ReadBytes(ExeFolder() + L"script-copies\\" + name); }

class ProgramFile : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = ProgramPath();
        module_ = LoadLibraryExW(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << testing::PrintToString(path_) << ": error " << GetLastError();
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    std::string Resource(const char* name) const {
        HRSRC found = FindResourceA(module_, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
        if (!found) return "<missing>";
        HGLOBAL loaded = LoadResource(module_, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes) return "<not loadable>";
        return std::string(static_cast<const char*>(bytes), SizeofResource(module_, found));
    }

    std::wstring path_;
    HMODULE module_ = nullptr;
};

// Fixed storage: nothing may throw out of the enumeration callbacks.
struct Found {
    static constexpr int Capacity = 8;
    char names[Capacity][32] = {};
    WORD languages[Capacity] = {};
    int count = 0;
};

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR context) noexcept {
    auto& found = *reinterpret_cast<Found*>(context);
    if (found.count == Found::Capacity) return FALSE;
    if (IS_INTRESOURCE(name)) {
        std::snprintf(found.names[found.count], sizeof found.names[0], "#%u",
                      static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)));
    } else {
        std::snprintf(found.names[found.count], sizeof found.names[0], "%s", name);
    }
    ++found.count;
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR context) noexcept {
    auto& found = *reinterpret_cast<Found*>(context);
    if (found.count == Found::Capacity) return FALSE;
    found.languages[found.count++] = language;
    return TRUE;
}

TEST_F(ProgramFile, EachScriptResourceHoldsExactlyTheBytesOfItsFile) {
    for (const Script& script : Scripts) {
        SCOPED_TRACE(script.resource);
        const std::string file = ReadScriptFile(script.file);
        ASSERT_GT(file.size(), 1000u) << "copy of " << script.file << " not found beside the test";
        const std::string resource = Resource(script.resource);
        EXPECT_EQ(resource.size(), file.size());
        EXPECT_TRUE(resource == file) << "the resource differs from " << script.file;
    }
}

TEST_F(ProgramFile, ScriptsAreTheOnlyDataResourcesAndAreUpperCase) {
    Found found;
    EnumResourceNamesA(module_, MAKEINTRESOURCEA(10), CollectName, reinterpret_cast<LONG_PTR>(&found));
    ASSERT_EQ(found.count, 2);
    std::string names = std::string(found.names[0]) + " " + found.names[1];
    EXPECT_TRUE(names == "RCCW RCW" || names == "RCW RCCW") << names;
}

TEST_F(ProgramFile, EachScriptIsInEnglishUnitedStatesAlone) {
    for (const Script& script : Scripts) {
        SCOPED_TRACE(script.resource);
        Found found;
        EnumResourceLanguagesA(module_, MAKEINTRESOURCEA(10), script.resource, CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&found));
        ASSERT_EQ(found.count, 1);
        EXPECT_EQ(found.languages[0], EnglishUnitedStates);
        EXPECT_NE(FindResourceExA(module_, MAKEINTRESOURCEA(10), script.resource, EnglishUnitedStates),
                  nullptr);
    }
}

// The version block, read back with the version API as Explorer and Task Manager do.
class VersionBlock : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = ProgramPath();
        const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), nullptr);
        ASSERT_GT(size, 0u) << "no version block, error " << GetLastError();
        block_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, block_.data()));
    }

    std::wstring String(const std::wstring& name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring query = L"\\StringFileInfo\\040904B0\\" + name;
        if (!VerQueryValueW(block_.data(), query.c_str(), &value, &length) || !value) return L"<missing>";
        return std::wstring(static_cast<const wchar_t*>(value));
    }

    std::wstring path_;
    std::vector<char> block_;
};

// Every string of every string table, by walking the block's nodes: a lookup by name would miss
// a field nobody thought of.
void CollectStrings(const char* node, const char* end, std::map<std::wstring, std::wstring>& out) {
    auto aligned = [](const char* p, const char* base) {
        return base + ((p - base + 3) & ~3);
    };
    while (node + 6 <= end) {
        const WORD length = *reinterpret_cast<const WORD*>(node);
        const WORD valueLength = *reinterpret_cast<const WORD*>(node + 2);
        const WORD type = *reinterpret_cast<const WORD*>(node + 4);
        if (length < 6 || node + length > end) return;
        const wchar_t* key = reinterpret_cast<const wchar_t*>(node + 6);
        const std::wstring name(key);
        const char* value = aligned(node + 6 + (name.size() + 1) * sizeof(wchar_t), node);
        const char* nodeEnd = node + length;
        if (type == 1 && valueLength > 0) {
            out[name] = std::wstring(reinterpret_cast<const wchar_t*>(value));
        } else {
            const char* children = aligned(value + (type == 1 ? valueLength * 2 : valueLength), node);
            if (name != L"VarFileInfo") CollectStrings(children, nodeEnd, out);
        }
        node = aligned(nodeEnd, node);
    }
}

std::wstring Lowered(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// The text between `before` and the next `after` in the script, or "<missing>".
std::string Between(const std::string& text, const std::string& before, const std::string& after) {
    const size_t from = text.find(before);
    if (from == std::string::npos) return "<missing>";
    const size_t start = from + before.size();
    return text.substr(start, text.find(after, start) - start);
}

TEST_F(VersionBlock, FixedNumbersTranslationAndNamesAreTheProgramsOwn) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const WORD numbers[] = {TURNIX_VERSION_NUMBERS};
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(numbers[1], numbers[0])));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(numbers[3], numbers[2])));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);

    EXPECT_EQ(String(L"FileDescription"), L"VLC Turnix extension");
    EXPECT_EQ(String(L"ProductName"), L"VLC Turnix extension");
    EXPECT_EQ(String(L"OriginalFilename"), L"VLC Turnix extension.exe");
    EXPECT_EQ(String(L"InternalName"), L"VLC Turnix extension.exe");
    EXPECT_EQ(String(L"FileVersion"), Widen(TURNIX_VERSION_TEXT));
    EXPECT_EQ(String(L"ProductVersion"), Widen(TURNIX_VERSION_TEXT));
}

// Windows takes a program without a manifest whose name or version strings hold one of these
// words for an installer and elevates it: the scripts would land in the wrong account.
TEST_F(VersionBlock, NoStringNorTheFileNameTriggersInstallerDetection) {
    std::map<std::wstring, std::wstring> strings;
    CollectStrings(block_.data(), block_.data() + block_.size(), strings);
    EXPECT_EQ(strings.size(), 6u) << "no field beyond the six the program can vouch for";
    strings[L"<file name>"] = path_.substr(path_.find_last_of(L'\\') + 1);
    for (const auto& field : strings) {
        for (const wchar_t* word : {L"install", L"setup", L"update", L"upgrade", L"patch"}) {
            EXPECT_EQ(Lowered(field.second).find(word), std::wstring::npos)
                << "\"" << std::string(field.first.begin(), field.first.end()) << "\" holds " << word;
        }
    }
}

TEST_F(ProgramFile, ScriptsStateTheProgramsVersion) {
    for (const Script& script : Scripts) {
        SCOPED_TRACE(script.resource);
        const std::string text = Resource(script.resource);
        EXPECT_EQ(Between(text, "version = \"", "\""), TURNIX_VERSION_TEXT);
        EXPECT_EQ(Between(text, "\xC2\xB0 ", " VLC Extension"), TURNIX_VERSION_TEXT) << "header line";
    }
}

}  // namespace
