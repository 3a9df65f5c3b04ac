// The two extension scripts as the built program carries them: its file is loaded as data
// only (no code of it runs) and its RCDATA resources are compared with the script files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/TestFiles.h"

namespace {

struct Script {
    const char* resource;
    const wchar_t* file;
};
constexpr Script Scripts[] = {{"RCW", L"turnix-cw.lua"}, {"RCCW", L"turnix-ccw.lua"}};
constexpr WORD EnglishUnitedStates = 1033;

// The copies that the build put beside this test (the source tree may be out of reach).
std::string ReadScriptFile(const wchar_t* name) {
    return ReadBytes(TestFolder() + L"script-copies\\" + name);
}

class ProgramFile : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = FromUnixPath(TURNIX_EXE_UNIX_PATH);
        module_ = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << path_ << ": error " << GetLastError();
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    std::string Resource(const char* name) const {
        HRSRC found = FindResourceA(module_, name, MAKEINTRESOURCEA(10));   // RT_RCDATA
        if (!found) return "<missing>";
        HGLOBAL loaded = LoadResource(module_, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes) return "<not loadable>";
        return std::string(static_cast<const char*>(bytes), SizeofResource(module_, found));
    }

    std::string path_;
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
        EXPECT_NE(FindResourceExA(module_, MAKEINTRESOURCEA(10), script.resource, EnglishUnitedStates), nullptr);
    }
}

}  // namespace
