#include "support/ShellFolders.h"

namespace {

constexpr const wchar_t* UserShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const wchar_t* ResolvedShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

}  // namespace

ShellFolderRedirect::ShellFolderRedirect() {
    for (const wchar_t* key : {UserShellFolders, ResolvedShellFolders})
        for (const wchar_t* name : {Roaming, Local})
            saved_.push_back(std::make_unique<SavedRegValue>(HKEY_CURRENT_USER, key, name));
}

bool ShellFolderRedirect::Point(const wchar_t* name, const std::wstring& folder) const {
    return RegSetKeyValueW(HKEY_CURRENT_USER, UserShellFolders, name, REG_EXPAND_SZ, folder.c_str(),
                           static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}
