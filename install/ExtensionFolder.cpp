#include "ExtensionFolder.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

std::wstring LocalAppDataFolderFrom(const std::wstring& shellAnswer) {
    const size_t first = shellAnswer.find_first_not_of(L' ');
    std::wstring folder;
    if (first != std::wstring::npos)
        folder = shellAnswer.substr(first, shellAnswer.find_last_not_of(L' ') - first + 1);
    folder += L'\\';
    return folder;
}

std::wstring GetLocalAppDataFolder() {
    wchar_t buffer[MAX_PATH] = {};
    // A failed query is not reported, and leaves the folder "\" alone. Unlike the ANSI form, the wide
    // one may fill the buffer even then (with a folder that does not exist), so that text is dropped.
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        buffer[0] = L'\0';
    return LocalAppDataFolderFrom(std::wstring(buffer, wcsnlen(buffer, MAX_PATH)));
}

std::wstring ExtensionFolderFrom(const std::wstring& localAppDataFolder) {
    std::wstring lowered = localAppDataFolder;
    if (!lowered.empty()) CharLowerBuffW(&lowered[0], static_cast<DWORD>(lowered.size()));

    static const wchar_t Local[] = L"\\local\\";
    static const wchar_t Roaming[] = L"\\roaming\\";
    const size_t localLength = sizeof Local / sizeof Local[0] - 1;
    std::wstring result;
    size_t scanned = 0;
    for (size_t found = lowered.find(Local); found != std::wstring::npos;
         found = lowered.find(Local, scanned)) {
        result.append(lowered, scanned, found - scanned);
        result += Roaming;
        scanned = found + localLength;
    }
    result.append(lowered, scanned, std::wstring::npos);
    return result;
}

std::wstring GetExtensionFolder() { return ExtensionFolderFrom(GetLocalAppDataFolder()); }
