#pragma once
// People start the program from their Downloads folder, where any web page can drop a file:
// a DLL lying beside the program must never be loaded into it. Libraries come from Windows'
// own folder only.
#include <windows.h>

// Takes the program's folder and the current folder out of the search for every later load,
// the loads that Windows' own code makes for the program included. Call it first of all.
void RestrictLibrarySearch();

// A library from the system folder only, such as L"comctl32.dll"; null if it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

// InitCommonControlsEx of the system's comctl32, which then stays loaded for the process's
// life. False if the library cannot be loaded or the call fails.
bool InitSystemCommonControls(DWORD classes);
