#include "VlcSettings.h"

#include <string>
#include <vector>

#include "ExtensionFolder.h"
#include "FileSteps.h"

bool VlcSettingsFound() noexcept {
    // The same folder the installation writes below, so the two can never disagree.
    const std::vector<std::wstring> folders = GetScriptFolderChain();
    if (folders.empty()) return false;
    const std::wstring& vlcFolder = folders.front();
    return IsFile(vlcFolder + L"\\vlcrc") || IsFile(vlcFolder + L"\\vlc-qt-interface.ini");
}
