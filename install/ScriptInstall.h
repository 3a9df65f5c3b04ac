#pragma once
#include <string>

#include "FileSteps.h"

// Installing the two VLC extension scripts. The installer's round: IsScriptPresent on each entry
// (warn before overwriting), InstallScripts, then HoldsScript on each entry to judge the outcome,
// and ScriptPathSurvivesAnsiCodePage on each to tell whether VLC can open what was written.

// The two scripts, in the order they are handled: data resource name and path relative to the
// extension folder (begins with "\"; UTF-16, with the degree sign U+00B0).
struct ScriptEntry {
    const char* resourceName;
    const wchar_t* relativePath;
};
extern const ScriptEntry ScriptTable[2];

// The extension folder directly followed by the script's relative path, joined unchanged.
// "" when the script must not be touched: the folder is the lone "\" of a failed folder query
// (the path would name the network share \\vlc\lua), or the path is over MaxFilePathLength.
std::wstring ScriptPathFrom(const std::wstring& extensionFolder, const ScriptEntry& script);
// ScriptPathFrom on a fresh GetExtensionFolder(); "" also if that cannot be worked out.
std::wstring ScriptPath(const ScriptEntry& script) noexcept;

// Removes both earlier script files, then writes each script from its data resource. Steps run
// whatever became of the ones before; a script whose ScriptPath is "" is skipped entirely.
// Reports nothing: judge the outcome with IsScriptPresent or HoldsScript afterwards.
void InstallScripts() noexcept;

// True if some entry is at the script's path (IsFilePresent); false when ScriptPath is "".
bool IsScriptPresent(const ScriptEntry& script) noexcept;

// True only if the file at the script's path holds exactly the bytes of its data resource;
// false when ScriptPath is "" or the resource is missing.
bool HoldsScript(const ScriptEntry& script) noexcept;

// True if the script's path survives SurvivesAnsiCodePage, the conversion that VLC makes before
// opening the script; false when ScriptPath is "".
bool ScriptPathSurvivesAnsiCodePage(const ScriptEntry& script) noexcept;

// The bytes of the RCDATA resource of that name in the program's own module; "" if there is none.
std::string LoadDataResource(const char* name) noexcept;
