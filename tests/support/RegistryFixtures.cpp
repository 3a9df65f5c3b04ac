#include "support/RegistryFixtures.h"

namespace {

constexpr char VideoLanKey[] = "SOFTWARE\\VideoLAN";

}  // namespace

SavedRegValue::SavedRegValue(HKEY root, std::wstring keyPath, std::wstring name, REGSAM view)
    : root_(root), keyPath_(std::move(keyPath)), name_(std::move(name)), view_(view) {
    HKEY key;
    if (RegOpenKeyExW(root_, keyPath_.c_str(), 0, KEY_QUERY_VALUE | view_, &key) != ERROR_SUCCESS) return;
    DWORD size = 0;
    // Raw bytes, unexpanded: a REG_EXPAND_SZ comes back exactly as it was.
    if (RegQueryValueExW(key, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
        data_.resize(size);
        existed_ =
            RegQueryValueExW(key, name_.c_str(), nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
        data_.resize(size);
    }
    RegCloseKey(key);
}

SavedRegValue::~SavedRegValue() {
    HKEY key;
    if (existed_) {
        if (RegCreateKeyExW(root_, keyPath_.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view_, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExW(key, name_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
    } else {
        if (RegOpenKeyExW(root_, keyPath_.c_str(), 0, KEY_SET_VALUE | view_, &key) != ERROR_SUCCESS) return;
        RegDeleteValueW(key, name_.c_str());
    }
    RegCloseKey(key);
}

bool SetRegValue(HKEY root, const std::string& keyPath, const std::string& name, DWORD type,
                 const std::string& bytes, REGSAM view) {
    HKEY key;
    if (RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const bool done = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                     static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
    RegCloseKey(key);
    return done;
}

bool SetRegText(HKEY root, const std::string& keyPath, const std::string& name, const std::string& text,
                REGSAM view, DWORD type) {
    return SetRegValue(root, keyPath, name, type, text + '\0', view);
}

bool RegKeyExists(HKEY root, const std::string& keyPath, REGSAM view) {
    HKEY key;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

VlcKeySandbox::VlcKeySandbox(REGSAM view)
    : view_(view),
      parentExisted_(RegKeyExists(HKEY_LOCAL_MACHINE, VideoLanKey, view)),
      keyExisted_(RegKeyExists(HKEY_LOCAL_MACHINE, Key, view)),
      savedDefault_(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VideoLAN\\VLC", L"", view),
      savedInstallDir_(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VideoLAN\\VLC", L"InstallDir", view) {
    Remove();
}

VlcKeySandbox::~VlcKeySandbox() {
    Remove();
    if (keyExisted_) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, Key, 0, nullptr, 0, KEY_READ | view_, nullptr, &key,
                            nullptr) == ERROR_SUCCESS)
            RegCloseKey(key);
    } else if (!parentExisted_) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, VideoLanKey, view_, 0);  // only goes if empty
    }
}

void VlcKeySandbox::Remove() const { RegDeleteKeyExA(HKEY_LOCAL_MACHINE, Key, view_, 0); }

bool VlcKeySandbox::Set(const std::string& name, const std::string& text) const {
    return SetRegText(HKEY_LOCAL_MACHINE, Key, name, text, view_);
}
