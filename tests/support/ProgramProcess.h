#pragma once
// A program started as a user starts it, in its own process, and watched from outside.
#include <windows.h>

#include <functional>
#include <string>

// Seconds on a monotonic clock.
double Seconds();

class ProgramProcess {
public:
    // What Close reports for a program that did not end.
    static constexpr DWORD NotEnded = 12345;

    ProgramProcess() = default;
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;
    ~ProgramProcess();  // ends the process if it still runs

    // Starts exe with the arguments after its quoted name, in folder (nullptr: this process's);
    // false if CreateProcessW refuses.
    bool Start(const std::wstring& exe, const std::wstring& arguments = L"", const wchar_t* folder = nullptr);
    HANDLE Process() const { return info_.hProcess; }
    double StartedAt() const { return startedAt_; }
    // The process's first visible top-level window for which ready() holds, polled every
    // pollMilliseconds; nullptr after the time-out, or as soon as the process has ended.
    HWND WaitForWindow(const std::function<bool(HWND)>& ready, double timeoutSeconds,
                       DWORD pollMilliseconds = 10) const;
    // Sends the window the close command, as its close box does, and waits for the process to
    // end: its exit code, or NotEnded (the destructor then ends it).
    DWORD Close(HWND window, double timeoutSeconds);

private:
    PROCESS_INFORMATION info_{};
    double startedAt_ = 0;
};

// True if the window's caption is exactly this text.
bool HasCaption(HWND window, const char* caption);
