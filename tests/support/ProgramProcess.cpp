#include "support/ProgramProcess.h"

#include <cstring>

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

namespace {

struct WindowSearch {
    DWORD processId;
    const std::function<bool(HWND)>* ready;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window) || !(*search->ready)(window)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

ProgramProcess::~ProgramProcess() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool ProgramProcess::Start(const std::wstring& exe, const std::wstring& arguments, const wchar_t* folder) {
    std::wstring commandLine = L"\"" + exe + L"\"" + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startedAt_ = Seconds();
    return CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                          &info_) != FALSE;
}

HWND ProgramProcess::WaitForWindow(const std::function<bool(HWND)>& ready, double timeoutSeconds,
                                   DWORD pollMilliseconds) const {
    const double deadline = Seconds() + timeoutSeconds;
    do {
        WindowSearch search{info_.dwProcessId, &ready, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (WaitForSingleObject(info_.hProcess, pollMilliseconds) != WAIT_TIMEOUT) return nullptr;
    } while (Seconds() < deadline);
    return nullptr;
}

DWORD ProgramProcess::Close(HWND window, double timeoutSeconds) {
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD exitCode = NotEnded;
    if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeoutSeconds * 1000)) == WAIT_OBJECT_0)
        GetExitCodeProcess(info_.hProcess, &exitCode);
    return exitCode;
}

bool HasCaption(HWND window, const char* caption) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return std::strcmp(text, caption) == 0;
}
