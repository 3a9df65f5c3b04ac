#pragma once
#include <string>

#include "FileSteps.h"

// Installing the two VLC extension scripts. The installer's round: IsScriptPresent on each entry
// (warn before overwriting), InstallScripts, then HoldsScript on each entry to judge the outcome,
// and ScriptPathSurvivesAnsiCodePage on each to tell whether VLC can open what was written.

// The two scripts, in the order they are handled: data resource name and file name in VLC's
// extensions folder (UTF-16, with the degree sign U+00B0).
struct ScriptEntry {
    const char* resourceName;
    const wchar_t* fileName;
};
extern const ScriptEntry ScriptTable[2];

// The script's file in the last folder of GetScriptFolderChain(); "" when there is no such folder
// (a failed folder query). Too long a path is left to the file steps, which refuse it.
std::wstring ScriptPath(const ScriptEntry& script) noexcept;

// Makes whichever of VLC's extensions folders is missing, removes both earlier script files, then
// writes each script from its data resource. Steps run whatever became of the ones before, but a
// file in the way of a folder, or a refused folder, ends the folder making. Without a script folder
// nothing at all is done. Reports nothing: judge the outcome with HoldsScript afterwards.
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
