#pragma once
// The process start-up and shutdown (COM, common controls, per-thread state) call this
// main routine; its result becomes the process exit code.
#include <windows.h>
#include <commctrl.h>

// The common-control classes registered at start-up.
constexpr DWORD CommonControlClasses = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES |
                                       ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_HOTKEY_CLASS |
                                       ICC_PAGESCROLLER_CLASS | ICC_NATIVEFNTCTL_CLASS | ICC_STANDARD_CLASSES;

int TurnixMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int showCommand);

// The start-up sequence, TurnixMain and the shutdown, short of ending the process.
// Returns TurnixMain's result, or 255 if the per-thread state cannot be set up.
int RunTurnixProcess();
// The command line after the program name and the blanks that follow it.
const char* SkipProgramName(const char* commandLine);
// The show command the process was started with (SW_SHOWDEFAULT if none was given).
int StartupShowCommand(const STARTUPINFOA& info);
