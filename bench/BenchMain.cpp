// Measures the installer against the two floor programs, all started as a user starts them. Prints
// the rows that take running them (idle time, install time, peak working set), to follow the size
// rows that tools/bench.sh reads from the files, then the start-up table with its spread.
// Usage: turnix_bench <installer exe> <floor 1 exe> <floor 2 exe> [runs, default 15]
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Probe.h"
#include "support/Files.h"
#include "support/ProgramProcess.h"
#include "support/RegistryFixtures.h"
#include "support/ShellFolders.h"
#include "support/StateTexts.h"

namespace {

constexpr int FirstLine = 1002;
constexpr int SecondLine = 1003;
constexpr int InstallButton = 1004;
constexpr double WindowTimeout = 30;  // a cold Wine start under emulation takes seconds
constexpr double CloseTimeout = 10;
constexpr DWORD IdleMilliseconds = 10000;
constexpr DWORD PollMilliseconds = 1;  // the times are no finer than this
// UTF-16, so that they are found whatever the ANSI code page; in ListFolder's order.
const std::vector<std::wstring> Scripts = {L"Turnix+90\u00B0.lua", L"Turnix-90\u00B0.lua"};

// Installed is complete once its last step, disabling the button, is done.
bool Shows(HWND dialog, const StateTexts& state, bool buttonEnabled) {
    return ControlText(dialog, FirstLine) == state.firstLine &&
           ControlText(dialog, SecondLine) == state.secondLine &&
           (IsWindowEnabled(GetDlgItem(dialog, InstallButton)) != FALSE) == buttonEnabled;
}

bool StatusTextsSet(HWND dialog) {
    return !ControlText(dialog, FirstLine).empty() && !ControlText(dialog, SecondLine).empty();
}

bool OtherOutcomeShown(HWND dialog) {
    const std::string first = ControlText(dialog, FirstLine);
    for (const StateTexts& state : {shown::NotDetected, shown::Warning, shown::Failed, shown::CannotLoad})
        if (first == state.firstLine) return true;
    return false;
}

bool VisibleOnly(HWND) { return true; }

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Minimum, median and maximum: one run's noise shows in the spread, not in the figure kept.
std::array<double, 3> SpreadOf(std::vector<double> values) {
    if (values.empty()) return {-1, -1, -1};
    std::sort(values.begin(), values.end());
    return {values.front(), Median(values), values.back()};
}

struct Sample {
    double seconds = -1;  // negative: the run failed
    double peakBytes = 0;
};

// From CreateProcessW until ready() holds for the visible window, then closed again.
Sample TimeStart(const std::wstring& exe, bool (*ready)(HWND)) {
    Sample sample;
    ProgramProcess program;
    HWND window =
        program.Start(exe) ? program.WaitForWindow(ready, WindowTimeout, PollMilliseconds) : nullptr;
    if (!window) return sample;
    const double seconds = Seconds() - program.StartedAt();
    sample.peakBytes = PeakWorkingSet(program.Process());
    if (program.Close(window, CloseTimeout) == 0) sample.seconds = seconds;
    return sample;
}

double IdleProcessorSeconds(const std::wstring& exe, bool (*ready)(HWND)) {
    ProgramProcess program;
    HWND window =
        program.Start(exe) ? program.WaitForWindow(ready, WindowTimeout, PollMilliseconds) : nullptr;
    if (!window) return -1;
    Sleep(500);  // past the tail of the start-up
    const double seconds = ProcessorSecondsOver(program.Process(), IdleMilliseconds);
    return program.Close(window, CloseTimeout) == 0 ? seconds : -1;
}

// From the press of the install button until Installed is shown; error says why a run failed.
Sample TimeInstall(const std::wstring& exe, const std::wstring& roaming, std::string& error) {
    Sample sample;
    // As on a VLC that never had an extension: the press makes all three folders.
    const std::wstring vlc = roaming + L"\\vlc\\";
    RemoveTree(vlc);
    if (GetFileAttributesW(vlc.c_str()) != INVALID_FILE_ATTRIBUTES) {
        error = "the scripts and folders of the run before could not be removed";
        return sample;
    }
    ProgramProcess program;
    HWND dialog =
        program.Start(exe) ? program.WaitForWindow(StatusTextsSet, WindowTimeout, PollMilliseconds) : nullptr;
    if (!dialog || !Shows(dialog, shown::Ready, true)) {
        error = dialog ? "the dialog shows \"" + ControlText(dialog, FirstLine) + "\", not Ready"
                       : "the installer never showed its status";
        return sample;
    }
    const double pressed = Seconds();
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(InstallButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, InstallButton)));
    bool installed = false;
    while (!(installed = Shows(dialog, shown::Installed, false)) && !OtherOutcomeShown(dialog) &&
           Seconds() - pressed < WindowTimeout)
        Sleep(PollMilliseconds);
    const double seconds = Seconds() - pressed;
    if (!installed) {
        error = "after the press the dialog shows \"" + ControlText(dialog, FirstLine) + "\"";
    } else if (ListFolder(vlc + L"lua\\extensions\\") != Scripts) {
        error = "Installed is shown but the extensions folder does not hold exactly the two scripts";
    } else {
        sample.peakBytes = PeakWorkingSet(program.Process());
        if (program.Close(dialog, CloseTimeout) == 0) sample.seconds = seconds;
        if (sample.seconds < 0) error = "the installer did not end with exit code 0";
    }
    return sample;
}

struct Contender {
    std::wstring exe;
    bool (*ready)(HWND);
    std::vector<double> seconds, peakBytes;
};

// Interleaved in rotating order, so that none always follows the same one, after one start of
// each that fills the caches and is not counted.
void MeasureStartUp(Contender (&contenders)[3], int runs) {
    for (const Contender& contender : contenders)
        TimeStart(contender.exe, contender.ready);
    for (int run = 0; run < runs; ++run) {
        for (int turn = 0; turn < 3; ++turn) {
            Contender& next = contenders[(run + turn) % 3];
            const Sample sample = TimeStart(next.exe, next.ready);
            if (sample.seconds < 0) continue;
            next.seconds.push_back(sample.seconds);
            next.peakBytes.push_back(sample.peakBytes);
        }
    }
}

std::string Number(double value, int decimals) {
    if (value < 0) return "failed";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Ratio(double value, double baseline) {
    return value < 0 || baseline <= 0 ? "n/a" : Number(value / baseline, 2);
}

void PrintRow(const std::string& figure, double value, double baseline, int decimals) {
    const std::string base = baseline < 0 ? "-" : Number(baseline, decimals);
    std::printf("| %s | %s | %s | %s |\n", figure.c_str(), Number(value, decimals).c_str(), base.c_str(),
                Ratio(value, baseline).c_str());
}

void PrintSpreadRow(const std::string& what, const std::vector<double>& seconds, int runs) {
    const auto ms = SpreadOf(seconds);
    std::printf("| %s, %zu of %d runs | %s | %s | %s |\n", what.c_str(), seconds.size(), runs,
                Number(ms[0] * 1000, 0).c_str(), Number(ms[1] * 1000, 0).c_str(),
                Number(ms[2] * 1000, 0).c_str());
}

// Like with like: minimum to minimum, and so on.
void PrintRatioRow(const std::string& what, const std::vector<double>& seconds,
                   const std::vector<double>& floor) {
    const auto value = SpreadOf(seconds), base = SpreadOf(floor);
    std::printf("| %s | %s | %s | %s |\n", what.c_str(), Ratio(value[0], base[0]).c_str(),
                Ratio(value[1], base[1]).c_str(), Ratio(value[2], base[2]).c_str());
}

// Ours by name, so that a killed run's leftovers go too; "" without a profile folder.
struct ScratchFolder {
    const std::wstring root = ScratchRoot();
    const std::wstring path = root.empty() ? root : root + L"bench\\";
    ScratchFolder() { Clear(); }
    ~ScratchFolder() { Clear(); }
    void Clear() const {
        if (!path.empty()) RemoveTree(path);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <installer exe> <floor 1 exe> <floor 2 exe> [runs]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 15;
    Contender contenders[3] = {
        {Widen(argv[1]), StatusTextsSet, {}, {}},
        {Widen(argv[2]), VisibleOnly, {}, {}},
        {Widen(argv[3]), VisibleOnly, {}, {}},
    };
    const Contender &installer = contenders[0], &floor1 = contenders[1], &floor2 = contenders[2];

    // The driver is 32-bit as the installer is, so its own registry view is the installer's.
    const VlcKeySandbox vlcKey(0);
    const ShellFolderRedirect shellFolders;
    const ScratchFolder scratch;
    const std::wstring roaming = scratch.path + L"Roaming";
    if (!scratch.path.empty()) MakeFolders(roaming + L"\\");
    if (scratch.path.empty() || GetFileAttributesW(roaming.c_str()) == INVALID_FILE_ATTRIBUTES ||
        !vlcKey.Set("", "C:\\Program Files\\VideoLAN\\VLC") ||
        !shellFolders.Point(ShellFolderRedirect::Roaming, roaming)) {
        std::fprintf(stderr, "bench: the VLC key and the scratch roaming folder could not be set up\n");
        return 1;
    }

    std::fprintf(stderr, "start-up: %d runs of each of three programs\n", runs);
    MeasureStartUp(contenders, runs);
    std::fprintf(stderr, "idle: 2 x %u s\n", static_cast<unsigned>(IdleMilliseconds / 1000));
    const double installerIdle = IdleProcessorSeconds(installer.exe, installer.ready);
    const double floorIdle = IdleProcessorSeconds(floor1.exe, floor1.ready);
    std::fprintf(stderr, "install: %d runs\n", runs);
    std::vector<double> install, installPeak;
    std::string installProblem;
    for (int run = 0; run < runs && installProblem.empty(); ++run) {
        const Sample sample = TimeInstall(installer.exe, roaming, installProblem);
        install.push_back(sample.seconds);
        installPeak.push_back(sample.peakBytes);
    }

    const double mib = 1024 * 1024;
    PrintRow("Idle processor time over 10 s (ms)", installerIdle * 1000, floorIdle * 1000, 1);
    if (installProblem.empty())
        PrintRow("Install time, press to Installed, median of " + std::to_string(runs) + " runs (ms)",
                 Median(install) * 1000, -1, 0);
    else
        std::printf("| Install time | not measured: %s | - | n/a |\n", installProblem.c_str());
    PrintRow("Peak working set after an install (MiB)",
             installProblem.empty() ? Median(installPeak) / mib : -1, Median(floor1.peakBytes) / mib, 1);
    std::printf("\n| Start-up (ms), runs interleaved | Min | Median | Max |\n|---|---:|---:|---:|\n");
    PrintSpreadRow("Installer, to status texts shown", installer.seconds, runs);
    PrintSpreadRow("Floor 1: plain dialog", floor1.seconds, runs);
    PrintSpreadRow("Floor 2: dialog with COM, common controls and a shell32 icon", floor2.seconds, runs);
    PrintRatioRow("Installer / floor 1", installer.seconds, floor1.seconds);
    PrintRatioRow("**Installer / floor 2**", installer.seconds, floor2.seconds);
    std::fflush(stdout);
    const size_t all = static_cast<size_t>(runs);
    const bool complete = installProblem.empty() && installerIdle >= 0 && floorIdle >= 0 &&
                          installer.seconds.size() == all && floor1.seconds.size() == all &&
                          floor2.seconds.size() == all;
    return complete ? 0 : 1;
}
