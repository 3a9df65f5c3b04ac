// Measures the installer against the baseline dialog programs, all started here as a user
// would start them, and prints two Markdown tables: figure, value, baseline, ratio; and the
// start-up times of the installer and both floors with their spread.
// Usage: turnix_bench <installer exe> <baseline exe> <baseline with loads exe> [runs, default 15]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ImageSizes.h"
#include "Probe.h"
#include "Sandbox.h"

namespace {

constexpr int FirstLine = 1002;
constexpr int SecondLine = 1003;
constexpr int InstallButton = 1004;
constexpr char ReadyFirst[] = "VLC was detected on your system.";
constexpr char ReadySecond[] = "Ready to install the extension.";
constexpr char InstalledFirst[] = "Extension correctly installed. Please restart VLC.";
constexpr char InstalledSecond[] = "You can now rotate videos via View > Turnix...";
constexpr char FailedFirst[] = "There was a problem installing the extension !";
constexpr char WarningFirst[] = "Extension was already installed previously.";

constexpr double WindowTimeout = 30;  // a cold Wine start under emulation takes seconds
constexpr double CloseTimeout = 10;
constexpr DWORD IdleMilliseconds = 10000;

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Minimum, median and maximum: one run's noise shows in the spread, not in the figure kept.
struct Spread {
    double min = -1, median = -1, max = -1;
};

Spread SpreadOf(const std::vector<double>& values) {
    if (values.empty()) return {};
    const auto range = std::minmax_element(values.begin(), values.end());
    return {*range.first, Median(values), *range.second};
}

bool StatusTextsSet(HWND dialog) {
    return !ControlText(dialog, FirstLine).empty() && !ControlText(dialog, SecondLine).empty();
}

bool ReadyShown(HWND dialog) {
    return ControlText(dialog, FirstLine) == ReadyFirst && ControlText(dialog, SecondLine) == ReadySecond &&
           IsWindowEnabled(GetDlgItem(dialog, InstallButton));
}

// Installed is complete once its last step, disabling the button, is done.
bool InstalledShown(HWND dialog) {
    return ControlText(dialog, FirstLine) == InstalledFirst &&
           ControlText(dialog, SecondLine) == InstalledSecond &&
           !IsWindowEnabled(GetDlgItem(dialog, InstallButton));
}

bool OtherOutcomeShown(HWND dialog) {
    const std::string first = ControlText(dialog, FirstLine);
    return first == FailedFirst || first == WarningFirst;
}

struct Sample {
    double seconds = -1;  // negative: the run failed
    double peakBytes = 0;
};

// From CreateProcessA until ready() holds for the visible window, then closed again.
Sample TimeStart(const std::string& exe, bool (*ready)(HWND)) {
    Sample sample;
    Launch launch;
    if (!launch.Start(exe)) return sample;
    HWND window = launch.WaitForWindow(ready, WindowTimeout);
    if (!window) return sample;
    const double seconds = Seconds() - launch.StartedAt();
    sample.peakBytes = PeakWorkingSet(launch.Process());
    if (launch.Close(window, CloseTimeout)) sample.seconds = seconds;
    return sample;
}

// Processor time the shown, untouched program spends over the idle period.
double IdleProcessorSeconds(const std::string& exe, bool (*ready)(HWND)) {
    Launch launch;
    if (!launch.Start(exe)) return -1;
    HWND window = launch.WaitForWindow(ready, WindowTimeout);
    if (!window) return -1;
    Sleep(500);  // past the tail of the start-up
    const ProcessorTime before = ReadProcessorTime(launch.Process());
    Sleep(IdleMilliseconds);
    const ProcessorTime after = ReadProcessorTime(launch.Process());
    if (!launch.Close(window, CloseTimeout)) return -1;
    return ProcessorSecondsBetween(before, after);
}

// From the press of the install button until Installed is shown; error says why a run failed.
Sample TimeInstall(const std::string& exe, const Sandbox& sandbox, std::string& error) {
    Sample sample;
    if (!sandbox.RemoveInstallation()) {
        error = "the scripts and folders of the run before could not be removed";
        return sample;
    }
    Launch launch;
    if (!launch.Start(exe)) {
        error = "the installer could not be started";
        return sample;
    }
    HWND dialog = launch.WaitForWindow(StatusTextsSet, WindowTimeout);
    if (!dialog || !ReadyShown(dialog)) {
        error = dialog ? "the dialog shows \"" + ControlText(dialog, FirstLine) + "\", not Ready"
                       : "the dialog never showed its status";
        return sample;
    }
    const double pressed = Seconds();
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(InstallButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, InstallButton)));
    bool installed = false;
    while (Seconds() - pressed < WindowTimeout) {
        if ((installed = InstalledShown(dialog)) || OtherOutcomeShown(dialog)) break;
        Sleep(1);
    }
    const double seconds = Seconds() - pressed;
    if (!installed) {
        error = "after the press the dialog shows \"" + ControlText(dialog, FirstLine) + "\"";
        return sample;
    }
    if (!sandbox.ScriptsPresent()) {
        error = "Installed is shown but the scripts are not in the extensions folder";
        return sample;
    }
    sample.peakBytes = PeakWorkingSet(launch.Process());
    if (!launch.Close(dialog, CloseTimeout)) {
        error = "the installer did not end with exit code 0";
        return sample;
    }
    sample.seconds = seconds;
    return sample;
}

std::string Number(double value, int decimals) {
    if (value < 0) return "failed";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Ratio(double value, double baseline) {
    if (value < 0 || baseline <= 0) return "n/a";
    return Number(value / baseline, 2);
}

void PrintRow(const std::string& figure, double value, double baseline, int decimals) {
    const std::string base = baseline < 0 ? "-" : Number(baseline, decimals);
    std::printf("| %s | %s | %s | %s |\n", figure.c_str(), Number(value, decimals).c_str(), base.c_str(),
                Ratio(value, baseline).c_str());
}

struct Results {
    ImageSizes installer, baseline;
    bool sizesMeasured = false;
    bool statusShown = false;
    std::vector<double> installerStart, baselineStart, loadsStart;
    std::vector<double> installerStartPeak, baselinePeak;
    double installerIdle = -1, baselineIdle = -1;
    std::vector<double> install, installPeak;
    std::string installProblem;
};

bool VisibleOnly(HWND) { return true; }

void MeasureStartUp(const std::string& installer, const std::string& baseline, const std::string& loads,
                    int runs, Results& results) {
    // The first start of each program fills the caches and is not counted. It also shows
    // whether the installer sets its status texts at all.
    TimeStart(baseline, VisibleOnly);
    TimeStart(loads, VisibleOnly);
    results.statusShown = TimeStart(installer, StatusTextsSet).seconds >= 0;
    // One entry per program: what it is, when it counts as started, where its figures go.
    struct Contender {
        const std::string& exe;
        bool (*ready)(HWND);
        std::vector<double>& seconds;
        std::vector<double>* peaks;
    };
    const Contender contenders[] = {
        {installer, results.statusShown ? StatusTextsSet : VisibleOnly, results.installerStart,
         &results.installerStartPeak},
        {baseline, VisibleOnly, results.baselineStart, &results.baselinePeak},
        {loads, VisibleOnly, results.loadsStart, nullptr},
    };
    for (int run = 0; run < runs; ++run) {
        for (int turn = 0; turn < 3; ++turn) {
            // Rotate which program goes first, so none always follows the same one.
            const Contender& next = contenders[(run + turn) % 3];
            const Sample sample = TimeStart(next.exe, next.ready);
            if (sample.seconds < 0) continue;
            next.seconds.push_back(sample.seconds);
            if (next.peaks) next.peaks->push_back(sample.peakBytes);
        }
    }
}

void MeasureInstall(const std::string& installer, const Sandbox& sandbox, int runs, Results& results) {
    for (int run = 0; run < runs; ++run) {
        std::string error;
        const Sample sample = TimeInstall(installer, sandbox, error);
        if (sample.seconds < 0) {
            results.installProblem = error;
            results.install.clear();
            break;
        }
        results.install.push_back(sample.seconds);
        results.installPeak.push_back(sample.peakBytes);
    }
}

void PrintTable(const Results& r) {
    const double kib = 1024, mib = 1024 * 1024;
    std::printf("| Figure | Value | Baseline | Ratio |\n|---|---:|---:|---:|\n");
    if (r.sizesMeasured) {
        PrintRow("File size (KiB)", r.installer.file / kib, r.baseline.file / kib, 1);
        PrintRow("File size without the icon (KiB)", (r.installer.file - r.installer.icons) / kib,
                 (r.baseline.file - r.baseline.icons) / kib, 1);
        PrintRow(".text section (KiB)", r.installer.text / kib, r.baseline.text / kib, 1);
    } else {
        PrintRow("File size (KiB)", -1, -1, 1);
    }
    PrintRow("Idle processor time over 10 s (ms)", r.installerIdle * 1000, r.baselineIdle * 1000, 1);
    if (r.installProblem.empty()) {
        PrintRow(
            "Install time, press to Installed, median of " + std::to_string(r.install.size()) + " runs (ms)",
            Median(r.install) * 1000, -1, 0);
        PrintRow("Peak working set after an install (MiB)", Median(r.installPeak) / mib,
                 Median(r.baselinePeak) / mib, 1);
    } else {
        std::printf("| Install time | not measured: %s | - | n/a |\n", r.installProblem.c_str());
        PrintRow("Peak working set after start-up, no install (MiB)", Median(r.installerStartPeak) / mib,
                 Median(r.baselinePeak) / mib, 1);
    }
}

void PrintSpreadRow(const std::string& what, const std::vector<double>& seconds, int runs) {
    const Spread spread = SpreadOf(seconds);
    std::printf("| %s, %zu of %d runs | %s | %s | %s |\n", what.c_str(), seconds.size(), runs,
                Number(spread.min * 1000, 0).c_str(), Number(spread.median * 1000, 0).c_str(),
                Number(spread.max * 1000, 0).c_str());
}

void PrintRatioRow(const std::string& what, const std::vector<double>& seconds,
                   const std::vector<double>& floor) {
    const Spread value = SpreadOf(seconds), base = SpreadOf(floor);
    std::printf("| %s | %s | %s | %s |\n", what.c_str(), Ratio(value.min, base.min).c_str(),
                Ratio(value.median, base.median).c_str(), Ratio(value.max, base.max).c_str());
}

void PrintStartUpTable(const Results& r, int runs) {
    std::printf("\n| Start-up (ms), runs interleaved | Min | Median | Max |\n|---|---:|---:|---:|\n");
    PrintSpreadRow(
        r.statusShown ? "Installer, to status texts shown" : "Installer, to visible (status texts never set)",
        r.installerStart, runs);
    PrintSpreadRow("Floor 1: plain dialog", r.baselineStart, runs);
    PrintSpreadRow("Floor 2: dialog with COM, common controls and a shell32 icon", r.loadsStart, runs);
    PrintRatioRow("Installer / floor 1", r.installerStart, r.baselineStart);
    PrintRatioRow("**Installer / floor 2**", r.installerStart, r.loadsStart);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <installer exe> <baseline exe> <baseline with loads exe> [runs]\n",
                     argv[0]);
        return 2;
    }
    const std::string installer = argv[1];
    const std::string baseline = argv[2];
    const std::string loads = argv[3];
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 15;

    Results results;
    results.sizesMeasured =
        MeasureImage(installer, results.installer) && MeasureImage(baseline, results.baseline);

    Sandbox sandbox;
    if (!sandbox.Prepare()) {
        std::fprintf(stderr, "bench: the VLC key and the scratch extensions folder could not be set up\n");
        return 1;
    }
    std::fprintf(stderr, "start-up: %d runs of each of three programs\n", runs);
    MeasureStartUp(installer, baseline, loads, runs, results);
    std::fprintf(stderr, "idle: 2 x %u s\n", static_cast<unsigned>(IdleMilliseconds / 1000));
    results.installerIdle =
        IdleProcessorSeconds(installer, results.statusShown ? StatusTextsSet : VisibleOnly);
    results.baselineIdle = IdleProcessorSeconds(baseline, VisibleOnly);
    std::fprintf(stderr, "install: %d runs\n", runs);
    if (results.statusShown)
        MeasureInstall(installer, sandbox, runs, results);
    else
        results.installProblem = "the installer never sets its status texts";
    sandbox.Restore();

    PrintTable(results);
    PrintStartUpTable(results, runs);
    std::fflush(stdout);
    const bool complete = results.sizesMeasured && results.installProblem.empty() &&
                          results.installerIdle >= 0 && results.baselineIdle >= 0 &&
                          results.installerStart.size() == static_cast<size_t>(runs) &&
                          results.baselineStart.size() == static_cast<size_t>(runs) &&
                          results.loadsStart.size() == static_cast<size_t>(runs);
    return complete ? 0 : 1;
}
