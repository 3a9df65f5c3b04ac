#include "Startup.h"

#include <objbase.h>

#include "SystemLibraries.h"
#include "ThreadState.h"

namespace {
OSVERSIONINFOA processVersion;

bool IsBlank(char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; }
}  // namespace

const char* SkipProgramName(const char* commandLine) {
    const char* p = commandLine;
    if (!p) return "";
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"') ++p;
    } else {
        while (static_cast<unsigned char>(*p) > ' ')
            ++p;
    }
    while (IsBlank(*p))
        ++p;
    return p;
}

int StartupShowCommand(const STARTUPINFOA& info) {
    return (info.dwFlags & STARTF_USESHOWWINDOW) ? info.wShowWindow : SW_SHOWDEFAULT;
}

int RunTurnixProcess() {
    // Before COM or anything else can load a library on the program's behalf.
    RestrictLibrarySearch();
    CoInitialize(nullptr);
    processVersion.dwOSVersionInfoSize = sizeof processVersion;
    GetVersionExA(&processVersion);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int showCommand = StartupShowCommand(startup);
    LPSTR commandTail = const_cast<LPSTR>(SkipProgramName(GetCommandLineA()));
    HINSTANCE instance = GetModuleHandleA(nullptr);

    int exitCode = 255;
    if (CreateThreadState()) {
        InitSystemCommonControls(CommonControlClasses);
        exitCode = TurnixMain(instance, nullptr, commandTail, showCommand);
    }
    DestroyThreadState();
    CoUninitialize();
    return exitCode;
}

// The runtime's own view of the command line is not used: the sequence reads it itself.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { ExitProcess(static_cast<UINT>(RunTurnixProcess())); }
