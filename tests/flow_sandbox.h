#pragma once
// Prefix state that the flow and end-to-end tests change, put back as it was afterwards.
#include <windows.h>

#include <string>
#include <vector>

// One registry value in one view: put back when this goes, or deleted if it was not there.
class SavedRegValue {
public:
    SavedRegValue(HKEY root, std::string keyPath, std::string name, REGSAM view = 0)
        : root_(root), keyPath_(std::move(keyPath)), name_(std::move(name)), view_(view) {
        HKEY key;
        if (RegOpenKeyExA(root_, keyPath_.c_str(), 0, KEY_READ | view_, &key) != ERROR_SUCCESS) return;
        DWORD size = 0;
        if (RegQueryValueExA(key, name_.c_str(), nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            data_.resize(size);
            existed_ =
                RegQueryValueExA(key, name_.c_str(), nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
            data_.resize(size);
        }
        RegCloseKey(key);
    }
    SavedRegValue(const SavedRegValue&) = delete;
    SavedRegValue& operator=(const SavedRegValue&) = delete;
    ~SavedRegValue() {
        HKEY key;
        if (RegOpenKeyExA(root_, keyPath_.c_str(), 0, KEY_SET_VALUE | view_, &key) != ERROR_SUCCESS) return;
        if (existed_)
            RegSetValueExA(key, name_.c_str(), 0, type_, data_.data(), static_cast<DWORD>(data_.size()));
        else
            RegDeleteValueA(key, name_.c_str());
        RegCloseKey(key);
    }

private:
    HKEY root_;
    std::string keyPath_, name_;
    REGSAM view_;
    bool existed_ = false;
    DWORD type_ = REG_SZ;
    std::vector<BYTE> data_;
};

// Sets a text value, creating the key.
inline bool SetRegText(HKEY root, const std::string& keyPath, const std::string& name,
                       const std::string& text, REGSAM view = 0, DWORD type = REG_SZ) {
    HKEY key;
    if (RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool done = RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return done;
}

// HKLM "SOFTWARE\VideoLAN\VLC" in one view, where VLC records itself. Starts without the key;
// afterwards the key's default value is put back, or the keys this created are deleted.
class VlcKeySandbox {
public:
    static constexpr char Key[] = "SOFTWARE\\VideoLAN\\VLC";
    static constexpr char Parent[] = "SOFTWARE\\VideoLAN";

    explicit VlcKeySandbox(REGSAM view) : view_(view) {
        parentExisted_ = Exists(Parent);
        keyExisted_ = Exists(Key);
        Remove();
    }
    VlcKeySandbox(const VlcKeySandbox&) = delete;
    VlcKeySandbox& operator=(const VlcKeySandbox&) = delete;
    ~VlcKeySandbox() {
        Remove();
        if (keyExisted_) {
            HKEY key;
            if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, Key, 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &key,
                                nullptr) == ERROR_SUCCESS)
                RegCloseKey(key);
        } else if (!parentExisted_) {
            RegDeleteKeyExA(HKEY_LOCAL_MACHINE, Parent, view_, 0);  // only goes if empty
        }
    }
    void Remove() const { RegDeleteKeyExA(HKEY_LOCAL_MACHINE, Key, view_, 0); }
    bool SetDefault(const std::string& text) const {
        return SetRegText(HKEY_LOCAL_MACHINE, Key, "", text, view_);
    }

private:
    bool Exists(const char* path) const {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view_, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    REGSAM view_;
    bool parentExisted_ = false, keyExisted_ = false;
    // The default value of a key that existed; put back by its own destructor, after the key is made again.
    SavedRegValue savedDefault_{HKEY_LOCAL_MACHINE, Key, "", view_};
};
