#include "Sandbox.h"

#include <iterator>

namespace {

// The driver and the installer are both 32-bit, so they see the same registry view.
constexpr char VlcKey[] = "SOFTWARE\\VideoLAN\\VLC";
constexpr char VideoLanKey[] = "SOFTWARE\\VideoLAN";

constexpr wchar_t RoamingFolder[] = L"C:\\turnix-bench-scratch\\Roaming";
// Ours by name: removed at the end even when a killed earlier run left them behind.
const char* const ScratchFolders[] = {"C:\\turnix-bench-scratch", "C:\\turnix-bench-scratch\\Roaming"};
// Made by the installer on each press, as on a VLC that never had an extension.
const char* const VlcFolders[] = {
    "C:\\turnix-bench-scratch\\Roaming\\vlc",
    "C:\\turnix-bench-scratch\\Roaming\\vlc\\lua",
    "C:\\turnix-bench-scratch\\Roaming\\vlc\\lua\\extensions",
};
const char* const Scripts[] = {
    "C:\\turnix-bench-scratch\\Roaming\\vlc\\lua\\extensions\\Turnix+90\xB0.lua",
    "C:\\turnix-bench-scratch\\Roaming\\vlc\\lua\\extensions\\Turnix-90\xB0.lua",
};

bool KeyExists(HKEY root, const char* keyPath) {
    HKEY key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

}  // namespace

Sandbox::SavedValue Sandbox::Save(HKEY root, const std::string& keyPath, const std::string& name) {
    SavedValue saved;
    saved.root = root;
    saved.keyPath = keyPath;
    saved.name = name;
    HKEY key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return saved;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
        saved.data.resize(size);
        saved.valueExisted = RegQueryValueExA(key, name.c_str(), nullptr, &saved.type, saved.data.data(),
                                              &size) == ERROR_SUCCESS;
        saved.data.resize(size);
    }
    RegCloseKey(key);
    return saved;
}

void Sandbox::Put(const SavedValue& saved) {
    HKEY key;
    if (RegOpenKeyExA(saved.root, saved.keyPath.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;  // the key is gone, and with it the value we set
    if (saved.valueExisted)
        RegSetValueExA(key, saved.name.c_str(), 0, saved.type, saved.data.data(),
                       static_cast<DWORD>(saved.data.size()));
    else
        RegDeleteValueA(key, saved.name.c_str());
    RegCloseKey(key);
}

bool Sandbox::SetText(HKEY root, const std::string& keyPath, const std::string& name, DWORD type,
                      const std::string& text) {
    HKEY key;
    if (RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool done = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return done;
}

bool Sandbox::Prepare() {
    prepared_ = true;
    videoLanKeyExisted_ = KeyExists(HKEY_LOCAL_MACHINE, VideoLanKey);
    vlcKeyExisted_ = KeyExists(HKEY_LOCAL_MACHINE, VlcKey);
    saved_.push_back(Save(HKEY_LOCAL_MACHINE, VlcKey, ""));
    shellFolders_.emplace();

    bool ok = true;
    for (const char* folder : ScratchFolders)
        if (!CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) ok = false;
    ok = SetText(HKEY_LOCAL_MACHINE, VlcKey, "", REG_SZ, "C:\\Program Files\\VideoLAN\\VLC") && ok;
    ok = shellFolders_->Point(ShellFolderRedirect::Roaming, RoamingFolder) && ok;
    return RemoveInstallation() && ok;
}

void Sandbox::Restore() {
    if (!prepared_) return;
    prepared_ = false;
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
        Put(*it);
    saved_.clear();
    shellFolders_.reset();
    // Keys that we created go again, the deepest first; a key with other subkeys stays.
    if (!vlcKeyExisted_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, VlcKey);
    if (!videoLanKeyExisted_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, VideoLanKey);
    RemoveInstallation();
    for (auto it = std::rbegin(ScratchFolders); it != std::rend(ScratchFolders); ++it)
        RemoveDirectoryA(*it);
}

bool Sandbox::RemoveInstallation() const {
    // Absent already is fine: the attribute tests decide.
    for (const char* script : Scripts)
        DeleteFileA(script);
    for (auto it = std::rbegin(VlcFolders); it != std::rend(VlcFolders); ++it)
        RemoveDirectoryA(*it);
    return GetFileAttributesA(VlcFolders[0]) == INVALID_FILE_ATTRIBUTES;
}

bool Sandbox::ScriptsPresent() const {
    for (const char* script : Scripts)
        if (GetFileAttributesA(script) == INVALID_FILE_ATTRIBUTES) return false;
    return true;
}
