#pragma once
// Points the current user's shell folders elsewhere for as long as this lives, as a profile or a
// company's policy may redirect them. The shell reads "User Shell Folders" and keeps what it
// resolved in "Shell Folders"; both are put back as they were, for "AppData" (roaming) and
// "Local AppData". Used by the tests and the benchmark driver alike, so no GoogleTest here.
#include <windows.h>

#include <string>
#include <vector>

class ShellFolderRedirect {
public:
    static constexpr const wchar_t* Roaming = L"AppData";
    static constexpr const wchar_t* Local = L"Local AppData";

    ShellFolderRedirect() {
        for (const wchar_t* key : {UserShellFolders, ResolvedShellFolders})
            for (const wchar_t* name : {Roaming, Local})
                saved_.push_back(Save(key, name));
    }
    ~ShellFolderRedirect() {
        for (const Saved& value : saved_)
            if (value.existed)
                RegSetKeyValueW(HKEY_CURRENT_USER, value.key, value.name, value.type, value.data.data(),
                                static_cast<DWORD>(value.data.size()));
            else
                RegDeleteKeyValueW(HKEY_CURRENT_USER, value.key, value.name);
    }
    ShellFolderRedirect(const ShellFolderRedirect&) = delete;
    ShellFolderRedirect& operator=(const ShellFolderRedirect&) = delete;

    // Roaming or Local. The folder need not exist: the shell then fails its query.
    bool Point(const wchar_t* name, const std::wstring& folder) const {
        return RegSetKeyValueW(HKEY_CURRENT_USER, UserShellFolders, name, REG_EXPAND_SZ, folder.c_str(),
                               static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

private:
    static constexpr const wchar_t* UserShellFolders =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr const wchar_t* ResolvedShellFolders =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

    struct Saved {
        const wchar_t* key;
        const wchar_t* name;
        bool existed = false;
        DWORD type = REG_SZ;
        std::vector<BYTE> data;
    };

    static Saved Save(const wchar_t* key, const wchar_t* name) {
        Saved value{key, name, false, REG_SZ, {}};
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, nullptr,
                         &size) != ERROR_SUCCESS)
            return value;
        value.data.resize(size);
        value.existed = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type,
                                     value.data.data(), &size) == ERROR_SUCCESS;
        value.data.resize(size);
        return value;
    }

    std::vector<Saved> saved_;
};

// Roaming folders that are not the local folder's twin with "\local\" turned into "\roaming\",
// relative to a scratch folder: an account named "Local", and a roaming folder redirected away
// from the local one, as to a server share. Plain letters, which every code page holds.
struct RoamingLayout {
    const wchar_t* roaming;
    const wchar_t* local;
};
inline constexpr RoamingLayout RoamingLayouts[] = {
    {L"Users\\Local\\AppData\\Roaming", L"Users\\Local\\AppData\\Local"},
    {L"Share\\Profiles\\user", L"Machine\\Local"},
};
