#include "Probe.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>

double Seconds() {
    static const double ticksPerSecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerSecond;
}

Launch::~Launch() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool Launch::Start(const std::string& exe) {
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startedAt_ = Seconds();
    return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &info_) != FALSE;
}

HWND Launch::WaitForWindow(const std::function<bool(HWND)>& ready, double timeoutSeconds) const {
    const double deadline = Seconds() + timeoutSeconds;
    while (Seconds() < deadline) {
        HWND window = VisibleWindowOf(info_.dwProcessId);
        if (window && ready(window)) return window;
        if (WaitForSingleObject(info_.hProcess, 1) != WAIT_TIMEOUT) return nullptr;
    }
    return nullptr;
}

bool Launch::Close(HWND window, double timeoutSeconds) {
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeoutSeconds * 1000)) != WAIT_OBJECT_0)
        return false;  // the destructor kills it
    DWORD exitCode = 1;
    return GetExitCodeProcess(info_.hProcess, &exitCode) && exitCode == 0;
}

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchVisibleWindow(HWND window, LPARAM param) noexcept {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

double FileTimeSeconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return static_cast<double>(value.QuadPart) / 1e7;
}

// The sum over the process's running threads; negative if none can be read.
double ThreadProcessorSeconds(DWORD processId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    double total = 0;
    bool any = false;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId) continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (!thread) continue;
        FILETIME created, exited, kernel, user;
        if (GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
            total += FileTimeSeconds(kernel) + FileTimeSeconds(user);
            any = true;
        }
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return any ? total : -1;
}

}  // namespace

HWND VisibleWindowOf(DWORD processId) {
    WindowSearch search{processId, nullptr};
    EnumWindows(MatchVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ControlText(HWND dialog, int id) {
    char text[256] = "";
    HWND control = GetDlgItem(dialog, id);
    if (control) GetWindowTextA(control, text, sizeof text);
    return text;
}

ProcessorTime ReadProcessorTime(HANDLE process) {
    ProcessorTime time;
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user))
        time.process = FileTimeSeconds(kernel) + FileTimeSeconds(user);
    time.threads = ThreadProcessorSeconds(GetProcessId(process));
    return time;
}

// Both figures can only fall short of the truth: the process's own misses nothing on Windows,
// but Wine 8 stops advancing it for another process; the threads' sum misses threads that
// ended in between. So the larger advance is the better one.
double ProcessorSecondsBetween(const ProcessorTime& before, const ProcessorTime& after) {
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
