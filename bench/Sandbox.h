#pragma once
// The machine state the installer reads, set up for a benchmark and put back afterwards:
// a VLC registry entry, and a scratch folder in place of the user's roaming application data,
// so that the scripts land in a throwaway extensions folder.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ShellFolders.h"

class Sandbox {
public:
    Sandbox() = default;
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;
    ~Sandbox() { Restore(); }

    // False if any part could not be set up; what was changed is still put back by Restore.
    bool Prepare();
    // Puts back every registry value and key as it was and removes the scratch folder.
    void Restore();
    // Deletes both installed scripts and VLC's extensions folders, so that the next install makes
    // them as on a fresh VLC; true if none is left.
    bool RemoveInstallation() const;
    // True if both scripts are in the scratch extensions folder.
    bool ScriptsPresent() const;

private:
    struct SavedValue {
        HKEY root = nullptr;
        std::string keyPath;
        std::string name;
        bool valueExisted = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };

    static SavedValue Save(HKEY root, const std::string& keyPath, const std::string& name);
    static void Put(const SavedValue& saved);
    static bool SetText(HKEY root, const std::string& keyPath, const std::string& name, DWORD type,
                        const std::string& text);

    std::vector<SavedValue> saved_;
    std::optional<ShellFolderRedirect> shellFolders_;
    bool vlcKeyExisted_ = false;
    bool videoLanKeyExisted_ = false;
    bool prepared_ = false;
};
