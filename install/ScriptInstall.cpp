#include "ScriptInstall.h"

#include <windows.h>

#include "AnsiCodePage.h"
#include "ExtensionFolder.h"

const ScriptEntry ScriptTable[2] = {
    {"RCW", L"Turnix+90\u00B0.lua"},
    {"RCCW", L"Turnix-90\u00B0.lua"},
};

namespace {
std::wstring PathIn(const std::wstring& folder, const ScriptEntry& script) {
    return folder + L'\\' + script.fileName;
}
}  // namespace

std::wstring ScriptPath(const ScriptEntry& script) noexcept {
    const std::vector<std::wstring> folders = GetScriptFolderChain();
    return folders.empty() ? std::wstring() : PathIn(folders.back(), script);
}

void InstallScripts() noexcept {
    const std::vector<std::wstring> folders = GetScriptFolderChain();
    if (folders.empty()) return;
    // VLC makes none of these itself. Folders made before a later failure stay: they are VLC's own.
    for (const std::wstring& folder : folders)
        if (!MakeFolder(folder)) break;  // the writes below then fail, and the caller says so
    // Both removals come before either write.
    for (const ScriptEntry& script : ScriptTable)
        RemoveFile(PathIn(folders.back(), script));  // no earlier file, or one that stays: the write copes
    for (const ScriptEntry& script : ScriptTable)
        WriteWholeFile(PathIn(folders.back(), script), LoadDataResource(script.resourceName));
}

bool IsScriptPresent(const ScriptEntry& script) noexcept {
    const std::wstring path = ScriptPath(script);
    return !path.empty() && IsFilePresent(path);
}

bool HoldsScript(const ScriptEntry& script) noexcept {
    const std::wstring path = ScriptPath(script);
    if (path.empty()) return false;
    const std::string expected = LoadDataResource(script.resourceName);
    return !expected.empty() && FileHoldsExactly(path, expected);
}

bool ScriptPathSurvivesAnsiCodePage(const ScriptEntry& script) noexcept {
    const std::wstring path = ScriptPath(script);
    return !path.empty() && SurvivesAnsiCodePage(path);
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
