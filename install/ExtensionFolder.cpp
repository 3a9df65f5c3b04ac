#include "ExtensionFolder.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

std::string LocalAppDataFolderFrom(const std::string& shellAnswer)
{
    const size_t first = shellAnswer.find_first_not_of(' ');
    std::string folder;
    if (first != std::string::npos)
        folder = shellAnswer.substr(first, shellAnswer.find_last_not_of(' ') - first + 1);
    folder += '\\';
    return folder;
}

std::string GetLocalAppDataFolder()
{
    char buffer[MAX_PATH] = {};
    // A failed query is not reported: whatever the shell left in the zeroed buffer is used.
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer);
    return LocalAppDataFolderFrom(std::string(buffer, strnlen(buffer, sizeof buffer)));
}

std::string ExtensionFolderFrom(const std::string& localAppDataFolder)
{
    std::string lowered = localAppDataFolder;
    if (!lowered.empty())
        CharLowerBuffA(&lowered[0], static_cast<DWORD>(lowered.size()));

    static const char kLocal[] = "\\local\\";
    static const char kRoaming[] = "\\roaming\\";
    const size_t localLength = sizeof kLocal - 1;
    std::string result;
    size_t scanned = 0;
    for (size_t found = lowered.find(kLocal); found != std::string::npos;
         found = lowered.find(kLocal, scanned)) {
        result.append(lowered, scanned, found - scanned);
        result += kRoaming;
        scanned = found + localLength;
    }
    result.append(lowered, scanned, std::string::npos);
    return result;
}

std::string GetExtensionFolder()
{
    return ExtensionFolderFrom(GetLocalAppDataFolder());
}
