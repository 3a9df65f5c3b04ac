#include "ExtensionFolder.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

std::wstring ExtensionFolderFrom(const std::wstring& shellAnswer) {
    const size_t first = shellAnswer.find_first_not_of(L' ');
    std::wstring folder;
    if (first != std::wstring::npos)
        folder = shellAnswer.substr(first, shellAnswer.find_last_not_of(L' ') - first + 1);
    folder += L'\\';
    CharLowerBuffW(&folder[0], static_cast<DWORD>(folder.size()));
    return folder;
}

std::wstring GetExtensionFolder() {
    wchar_t buffer[MAX_PATH] = {};
    // VLC reads the roaming folder as the shell names it, wherever it is redirected. Unlike the ANSI
    // form, the wide one may fill the buffer even when it fails (with a folder that does not exist).
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        buffer[0] = L'\0';
    return ExtensionFolderFrom(std::wstring(buffer, wcsnlen(buffer, MAX_PATH)));
}

std::vector<std::wstring> ScriptFolderChainOf(const std::wstring& extensionFolder) {
    std::vector<std::wstring> chain;
    if (extensionFolder == L"\\") return chain;
    std::wstring folder = extensionFolder;
    for (const wchar_t* name : {L"vlc", L"lua", L"extensions"}) {
        if (!chain.empty()) folder += L'\\';
        chain.push_back(folder += name);
    }
    return chain;
}

std::vector<std::wstring> GetScriptFolderChain() { return ScriptFolderChainOf(GetExtensionFolder()); }
