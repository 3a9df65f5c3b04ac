#pragma once
// A program started for one measurement and watched from outside, the way a user sees it:
// its window, the texts in it, and the process's own processor time and memory.
#include <windows.h>
#include <functional>
#include <string>

// Seconds on a monotonic clock.
double Seconds();

class Launch {
public:
    Launch() = default;
    Launch(const Launch&) = delete;
    Launch& operator=(const Launch&) = delete;
    ~Launch();  // kills the process if it is still running

    // Starts exe without arguments; false if CreateProcessA refuses.
    bool Start(const std::string& exe);
    double StartedAt() const { return startedAt_; }
    HANDLE Process() const { return info_.hProcess; }
    // Polls about every millisecond until ready() holds for the process's visible top-level
    // window; returns that window, or nullptr on time-out or when the process has ended.
    HWND WaitForWindow(const std::function<bool(HWND)>& ready, double timeoutSeconds) const;
    // Sends the close command to window; true if the process then ends with exit code 0.
    // A process that does not end within the time-out is killed.
    bool Close(HWND window, double timeoutSeconds);

private:
    PROCESS_INFORMATION info_{};
    double startedAt_ = 0;
};

// The visible top-level window of the process, or nullptr.
HWND VisibleWindowOf(DWORD processId);
// The system's copy of the text, read without a message to the program, so a busy
// program does not hold the caller up.
std::string ControlText(HWND dialog, int id);
// User plus kernel time, as the process reports it and as the sum over its threads;
// negative where the platform does not report it.
struct ProcessorTime {
    double process = -1;
    double threads = -1;
};
ProcessorTime ReadProcessorTime(HANDLE process);
// Processor time spent between two readings; negative if it cannot be told.
double ProcessorSecondsBetween(const ProcessorTime& before, const ProcessorTime& after);
// Peak working set in bytes; 0 if the platform does not report it.
double PeakWorkingSet(HANDLE process);
