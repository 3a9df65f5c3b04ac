#pragma once
// What a measurement reads from a running program besides its window.
#include <windows.h>

#include <string>

// The system's copy of the text, read without a message, so that a busy program does not hold
// the caller up.
std::string ControlText(HWND dialog, int id);
// User plus kernel time that the process spends over the next milliseconds; negative if it
// cannot be told.
double ProcessorSecondsOver(HANDLE process, DWORD milliseconds);
// Peak working set in bytes; 0 if the platform does not report it.
double PeakWorkingSet(HANDLE process);
