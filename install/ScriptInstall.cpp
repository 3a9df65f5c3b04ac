#include "ScriptInstall.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "AnsiCodePage.h"
#include "ExtensionFolder.h"

const ScriptEntry ScriptTable[2] = {
    {"RCW", L"Turnix+90\u00B0.lua"},
    {"RCCW", L"Turnix-90\u00B0.lua"},
};

namespace {

// The last of GetScriptFolderChain(); "" without one. Too long a path is left to the file steps,
// which refuse it.
std::wstring ScriptFolder() {
    const std::vector<std::wstring> folders = GetScriptFolderChain();
    return folders.empty() ? std::wstring() : folders.back();
}

std::wstring PathIn(const std::wstring& folder, const ScriptEntry& script) {
    return folder + L'\\' + script.fileName;
}

}  // namespace

void InstallScripts() noexcept {
    const std::vector<std::wstring> folders = GetScriptFolderChain();
    if (folders.empty()) return;
    const std::wstring scriptFolder = folders.back();
    // VLC makes none of these itself. Folders made before a later failure stay: they are VLC's own.
    for (const std::wstring& folder : folders)
        if (!MakeFolder(folder)) break;  // the writes below then fail, and the caller says so
    // Both removals come before either write.
    for (const ScriptEntry& script : ScriptTable)
        RemoveFile(PathIn(scriptFolder, script));  // no earlier file, or one that stays: the write copes
    for (const ScriptEntry& script : ScriptTable)
        WriteWholeFile(PathIn(scriptFolder, script), LoadDataResource(script.resourceName));
}

bool AnyScriptPresent() noexcept {
    const std::wstring folder = ScriptFolder();
    return !folder.empty() &&
           std::any_of(std::begin(ScriptTable), std::end(ScriptTable), [&](const ScriptEntry& s) {
               return IsFilePresent(PathIn(folder, s));
           });
}

// Presence alone would call a stale read-only or locked old script a success.
bool BothScriptsHeld() noexcept {
    const std::wstring folder = ScriptFolder();
    return !folder.empty() &&
           std::all_of(std::begin(ScriptTable), std::end(ScriptTable), [&](const ScriptEntry& s) {
               const std::string expected = LoadDataResource(s.resourceName);
               return !expected.empty() && FileHoldsExactly(PathIn(folder, s), expected);
           });
}

// VLC converts each script's path to the ANSI code page before opening it: a path that does not
// come back whole is never listed, however right the file is.
bool BothPathsVlcCanOpen() noexcept {
    const std::wstring folder = ScriptFolder();
    return !folder.empty() &&
           std::all_of(std::begin(ScriptTable), std::end(ScriptTable), [&](const ScriptEntry& s) {
               return SurvivesAnsiCodePage(PathIn(folder, s));
           });
}

std::string LoadDataResource(const char* name) noexcept {
    const HMODULE self = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(self, name, RT_RCDATA);
    if (!found) return {};
    const DWORD size = SizeofResource(self, found);
    const void* data = LockResource(LoadResource(self, found));
    if (!data) return {};
    return std::string(static_cast<const char*>(data), size);
}
