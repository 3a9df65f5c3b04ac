#pragma once
// The process start-up and shutdown (COM, common controls, per-thread state) call this
// main routine; its result becomes the process exit code.
#include <windows.h>

int TurnixMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandTail, int showCommand);
