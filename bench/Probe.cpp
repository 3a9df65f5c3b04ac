#include "Probe.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>

namespace {

double FileTimeSeconds(const FILETIME& time) {
    return static_cast<double>(static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
}

struct ProcessorTime {
    double process = -1, threads = -1;  // negative: not reported
};

ProcessorTime ReadProcessorTime(HANDLE process) {
    ProcessorTime time;
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user))
        time.process = FileTimeSeconds(kernel) + FileTimeSeconds(user);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return time;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        HANDLE thread = entry.th32OwnerProcessID == GetProcessId(process)
                            ? OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID)
                            : nullptr;
        if (thread && GetThreadTimes(thread, &created, &exited, &kernel, &user))
            time.threads = std::max(time.threads, 0.0) + FileTimeSeconds(kernel) + FileTimeSeconds(user);
        if (thread) CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return time;
}

}  // namespace

std::string ControlText(HWND dialog, int id) {
    char text[256] = "";
    GetWindowTextA(GetDlgItem(dialog, id), text, sizeof text);
    return text;
}

// Both readings can only fall short: Wine 8 stops advancing the process's own for another
// process, and the threads' sum misses threads that ended in between. So the larger advance wins.
double ProcessorSecondsOver(HANDLE process, DWORD milliseconds) {
    const ProcessorTime before = ReadProcessorTime(process);
    Sleep(milliseconds);
    const ProcessorTime after = ReadProcessorTime(process);
    double seconds = -1;
    if (before.process >= 0 && after.process >= 0) seconds = after.process - before.process;
    if (before.threads >= 0 && after.threads >= 0)
        seconds = std::max(seconds, after.threads - before.threads);
    return seconds;
}

double PeakWorkingSet(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return static_cast<double>(counters.PeakWorkingSetSize);
}
