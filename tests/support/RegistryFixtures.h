#pragma once
// Registry values that a case or the benchmark changes, put back as they were afterwards.
#include <windows.h>

#include <string>
#include <vector>

// One value in one view (0, KEY_WOW64_32KEY or KEY_WOW64_64KEY), saved as raw bytes of its type:
// put back when this goes (its key made again if need be), or deleted if it was not there.
class SavedRegValue {
public:
    SavedRegValue(HKEY root, std::wstring keyPath, std::wstring name, REGSAM view = 0);
    SavedRegValue(const SavedRegValue&) = delete;
    SavedRegValue& operator=(const SavedRegValue&) = delete;
    ~SavedRegValue();

private:
    HKEY root_;
    std::wstring keyPath_, name_;
    REGSAM view_;
    bool existed_ = false;
    DWORD type_ = REG_NONE;
    std::vector<BYTE> data_;
};

// Writes a value through the ANSI functions, as the program reads it, making the key if need be;
// false if refused. Name "" is the key's default value.
bool SetRegValue(HKEY root, const std::string& keyPath, const std::string& name, DWORD type,
                 const std::string& bytes, REGSAM view = 0);
// A string value (REG_SZ unless another type is given), with its terminator.
bool SetRegText(HKEY root, const std::string& keyPath, const std::string& name, const std::string& text,
                REGSAM view = 0, DWORD type = REG_SZ);
bool RegKeyExists(HKEY root, const std::string& keyPath, REGSAM view = 0);

// HKLM "SOFTWARE\VideoLAN\VLC" in one view, where VLC's installers record it. Starts without the
// key; afterwards the values the program reads are put back, or the keys this made are deleted.
class VlcKeySandbox {
public:
    static constexpr char Key[] = "SOFTWARE\\VideoLAN\\VLC";

    explicit VlcKeySandbox(REGSAM view);
    VlcKeySandbox(const VlcKeySandbox&) = delete;
    VlcKeySandbox& operator=(const VlcKeySandbox&) = delete;
    ~VlcKeySandbox();

    void Remove() const;
    // name "" is the default value, which VLC's .exe installer sets; its .msi sets "InstallDir" alone.
    bool Set(const std::string& name, const std::string& text) const;

private:
    REGSAM view_;
    bool parentExisted_, keyExisted_;
    // Put back by their own destructors, after this one's has made the key again.
    SavedRegValue savedDefault_, savedInstallDir_;
};
