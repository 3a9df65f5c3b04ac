#pragma once
#include <string>

#include "FileSteps.h"

// Installing the two VLC extension scripts. The installer's round: AnyScriptPresent (warn before
// overwriting), InstallScripts, then BothScriptsHeld to judge the outcome, and BothPathsVlcCanOpen
// to tell whether VLC can open what was written. Each asks the shell for the folder afresh.

// The two scripts, in the order they are handled: data resource name and file name in VLC's
// extensions folder (UTF-16, with the degree sign U+00B0).
struct ScriptEntry {
    const char* resourceName;
    const wchar_t* fileName;
};
extern const ScriptEntry ScriptTable[2];

// Makes whichever of VLC's extensions folders is missing, removes both earlier script files, then
// writes each script from its data resource. Steps run whatever became of the ones before, but a
// file in the way of a folder, or a refused folder, ends the folder making. Without a script folder
// (a failed folder query) nothing at all is done. Reports nothing: ask BothScriptsHeld afterwards.
void InstallScripts() noexcept;

// True if some entry (a file of any attributes, or a folder) stands at either script's path;
// false without a script folder.
bool AnyScriptPresent() noexcept;

// True only if both files hold exactly the bytes of their data resources; false without a script
// folder or with a resource missing.
bool BothScriptsHeld() noexcept;

// True if both paths survive SurvivesAnsiCodePage, the conversion that VLC makes before opening a
// script; false without a script folder.
bool BothPathsVlcCanOpen() noexcept;

// The bytes of the RCDATA resource of that name in the program's own module; "" if there is none.
std::string LoadDataResource(const char* name) noexcept;
