#pragma once
// Points the current user's shell folders elsewhere for as long as this lives, as a profile or a
// company's policy may redirect them. The shell reads "User Shell Folders" and keeps what it
// resolved in "Shell Folders"; both are put back as they were, for "AppData" (roaming) and
// "Local AppData".
#include <memory>
#include <string>
#include <vector>

#include "support/RegistryFixtures.h"

class ShellFolderRedirect {
public:
    static constexpr const wchar_t* Roaming = L"AppData";
    static constexpr const wchar_t* Local = L"Local AppData";

    ShellFolderRedirect();

    // Roaming or Local. The folder need not exist: the shell then fails its query.
    bool Point(const wchar_t* name, const std::wstring& folder) const;

private:
    std::vector<std::unique_ptr<SavedRegValue>> saved_;
};
