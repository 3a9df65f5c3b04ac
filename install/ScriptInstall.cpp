#include "ScriptInstall.h"

#include <windows.h>

#include "AnsiCodePage.h"
#include "ExtensionFolder.h"

const ScriptEntry ScriptTable[2] = {
    {"RCW", L"\\vlc\\lua\\extensions\\Turnix+90\u00B0.lua"},
    {"RCCW", L"\\vlc\\lua\\extensions\\Turnix-90\u00B0.lua"},
};

std::wstring ScriptPathFrom(const std::wstring& extensionFolder, const ScriptEntry& script) {
    if (extensionFolder == L"\\") return {};
    std::wstring path = extensionFolder + script.relativePath;
    return path.size() > MaxFilePathLength ? std::wstring() : path;
}

std::wstring ScriptPath(const ScriptEntry& script) noexcept {
    return ScriptPathFrom(GetExtensionFolder(), script);
}

void InstallScripts() noexcept {
    // Both removals come before either write; each step builds its path afresh.
    for (const ScriptEntry& script : ScriptTable) {
        const std::wstring path = ScriptPath(script);
        if (!path.empty())
            RemoveFile(path);  // no earlier file, or one that stays: the write below copes with either
    }
    for (const ScriptEntry& script : ScriptTable) {
        const std::wstring path = ScriptPath(script);
        if (!path.empty())
            WriteWholeFile(path, LoadDataResource(script.resourceName));  // judged afterwards by the caller
    }
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
