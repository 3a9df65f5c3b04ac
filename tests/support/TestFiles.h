#pragma once
// Files and folders on the prefix's own file system, for the tests that install into scratch folders.
// Paths are UTF-16, as the program's own, so that names outside the ANSI code page survive.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

inline std::string ReadBytes(const std::wstring& path) {
    std::string bytes;
    FILE* in = _wfopen(path.c_str(), L"rb");
    if (!in) return bytes;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;)
        bytes.append(chunk, got);
    std::fclose(in);
    return bytes;
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* out = _wfopen(path.c_str(), L"wb");
    if (!out) return;
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
}

// Sorted, so that a test compares whole listings.
inline std::vector<std::wstring> ListFolder(const std::wstring& folder) {  // folder ends in "\"
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// Clears read-only first: some cases leave read-only scripts behind.
inline void RemoveTree(const std::wstring& folder) {  // folder ends in "\"
    for (const std::wstring& name : ListFolder(folder)) {
        const std::wstring path = folder + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path + L"\\");
        else
            DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

inline void MakeFolders(const std::wstring& path) {  // "C:\..." ending in "\"
    for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
}

// UTF-8 (ASCII included) as UTF-16, e.g. a test's name.
inline std::wstring Widen(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                           static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return wide;
}

inline std::wstring Lower(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// The root of the scratch folders that cases steer the shell's folders into, ending in "\". The
// user's profile folder is writable on every Windows, unlike C:\.
inline void GetScratchRoot(std::wstring& root) {
    wchar_t profile[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH) << "USERPROFILE is not set";
    root = std::wstring(profile) + L"\\turnix-tests\\";
}

// An empty scratch folder for the running case, <root><group>\<case>\ (made by the case itself).
inline void GetCaseFolder(const std::wstring& group, std::wstring& folder) {
    std::wstring root;
    ASSERT_NO_FATAL_FAILURE(GetScratchRoot(root));
    folder =
        root + group + L"\\" + Widen(testing::UnitTest::GetInstance()->current_test_info()->name()) + L"\\";
    RemoveTree(folder);
}

// A path of the build as Wine sees it: the Unix root is drive Z:. Build paths are ASCII.
inline std::string FromUnixPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

#ifdef TURNIX_EXE_UNIX_PATH
// The program under test as Wine sees it: the build's own, or another copy of it that
// TURNIX_TEST_PROGRAM names (a Unix path: the release check points it at the signed program).
inline std::string ProgramPath() {
    const char* other = std::getenv("TURNIX_TEST_PROGRAM");
    return FromUnixPath(other && *other ? other : TURNIX_EXE_UNIX_PATH);
}
#endif

// The build folder, where CMake copies the fixtures; ends in "\".
inline std::wstring TestFolder() {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path = exe;
    return path.substr(0, path.find_last_of(L'\\') + 1);
}
