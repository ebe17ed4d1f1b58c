// zq61prog batch on a production line, against the stand-in driver: boards arriving one by one,
// four and eight at once, and a whole shift. Prints group 5 of scripts/benchmark.sh.
// Usage: batch_bench <zq61prog.exe> <runs>
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_process.h"
#include "plain_frames.h"
#include "serial_port.h"
#include "sim_control_client.h"

namespace {

constexpr const char* kPort = ZQSIM_DEFAULT_CHIP_A;
constexpr unsigned kFrameMicros = 1000;
constexpr int kChipFrames = 155;  // read, write, read back
// Longer than two of the batch's looks at the port map, so a removal is always seen.
constexpr DWORD kUnpluggedMs = 250;
const char* const kHubPorts[] = {"COM41", "COM42", "COM43", "COM44",
                                 "COM45", "COM46", "COM47", "COM48"};
constexpr int kHubSizes[] = {1, 4, 8};

unsigned long CpuCount() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

// Outcome lines of the log so far: every line but the header and the `started` ones.
int Outcomes(const std::string& log) {
    std::ifstream file(log, std::ios::binary);
    int count = -1;
    for (std::string line; std::getline(file, line);) {
        count += line.find(",started,") == std::string::npos ? 1 : 0;
    }
    return std::max(count, 0);
}

bool WaitForOutcomes(const std::string& log, int outcomes, DWORD timeoutMs) {
    double deadline = NowMicros() + timeoutMs * 1000.0;
    while (Outcomes(log) < outcomes) {
        if (NowMicros() > deadline) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

// zq61prog batch, up and watching the port map once made; its end waits for --count.
class BatchProcess : public BenchProcess {
public:
    BatchProcess(const std::string& exe, const std::string& log, int count)
        : BenchProcess(exe, "batch " + NewLogBatch(log, count), 10000) {
        Sleep(500);
    }
};

// A blank board on the port, unplugged.
bool Unplug(SimControl& sim, const char* port, unsigned delayMicros) {
    return sim.Remove(port) && sim.Fill(port, 0xFF) && sim.SetDelay(port, delayMicros) &&
           sim.Clear(port);
}

struct Arrival {
    double detectMicros = 0;   // appearance to the first frame
    double outcomeMicros = 0;  // appearance to the logged outcome
    double serveMicros = 0;    // the driver's time serving the chip's frames
};

bool OneByOne(SimControl& sim, const std::string& exe, int chips, std::vector<Arrival>& arrivals) {
    std::string log = TempPath("zq61prog-bench-batch.csv");
    if (!Unplug(sim, kPort, kFrameMicros) || !sim.Remove(ZQSIM_DEFAULT_CHIP_B)) {
        return false;
    }
    BatchProcess batch(exe, log, chips);
    for (int i = 0; i < chips && batch.Started(); i++) {
        double plugged = NowMicros();
        sim.Restore(kPort);
        Arrival arrival;
        while (sim.Counters(kPort).writeCalls == 0 && NowMicros() - plugged < 5e6) {
            Sleep(1);
        }
        arrival.detectMicros = NowMicros() - plugged;
        if (!WaitForOutcomes(log, i + 1, 10000)) {
            return false;
        }
        arrival.outcomeMicros = NowMicros() - plugged;
        arrival.serveMicros = static_cast<double>(sim.Counters(kPort).serveMicros);
        arrivals.push_back(arrival);
        Unplug(sim, kPort, kFrameMicros);
        Sleep(kUnpluggedMs);
    }
    sim.Restore(ZQSIM_DEFAULT_CHIP_B);
    return static_cast<int>(arrivals.size()) == chips;
}

struct HubRun {
    double micros = 0;        // plugged to the last logged outcome
    double servedMicros = 0;  // the driver's time serving all the boards' frames
    double frames = 0;        // the write calls it served
};

// The first `boards` of the hub's boards plugged at once, to the last logged outcome.
bool AtOnce(SimControl& sim, const std::string& exe, int boards, HubRun& run) {
    std::string log = TempPath("zq61prog-bench-hub.csv");
    for (int i = 0; i < boards; i++) {
        if (!Unplug(sim, kHubPorts[i], kFrameMicros)) {
            return false;
        }
    }
    // Only the hub's boards: the other chips stay unplugged meanwhile.
    sim.Remove(ZQSIM_DEFAULT_CHIP_A);
    sim.Remove(ZQSIM_DEFAULT_CHIP_B);
    BatchProcess batch(exe, log, boards);
    double plugged = NowMicros();
    for (int i = 0; i < boards; i++) {
        sim.Restore(kHubPorts[i]);
    }
    bool done = WaitForOutcomes(log, boards, 30000);
    run.micros = NowMicros() - plugged;
    run.servedMicros = 0;
    run.frames = 0;
    for (int i = 0; i < boards; i++) {
        ZqSimCounters counters = sim.Counters(kHubPorts[i]);
        run.servedMicros += static_cast<double>(counters.serveMicros);
        run.frames += counters.writeCalls;
        sim.Remove(kHubPorts[i]);
    }
    sim.Restore(ZQSIM_DEFAULT_CHIP_A);
    sim.Restore(ZQSIM_DEFAULT_CHIP_B);
    return done;
}

// A chip's 155 frames from a plain loop on each of the first `ports` hub ports at once, a thread
// each: microseconds to the last loop's end, and the driver's time serving one port's frames
// (the mean). Over one port's time it is the best a batch of that many boards could reach here:
// Wine's own cost per call when the calls share two CPUs.
bool PlainLoopsAtOnce(SimControl& sim, int ports, double& micros, double& servedPerPort) {
    std::vector<win32::AutoCloseHandle> handles(ports);
    bool ok = true;
    for (int i = 0; i < ports && ok; i++) {
        ok = Unplug(sim, kHubPorts[i], kFrameMicros) && sim.Restore(kHubPorts[i]) &&
             OpenNamedPort(kHubPorts[i], handles[i]) != 0;
    }
    std::vector<win32::AutoCloseHandle> threads;
    std::vector<HANDLE> waitFor;
    double start = NowMicros();
    for (int i = 0; i < ports && ok; i++) {
        threads.emplace_back(CreateThread(
            nullptr, 0,
            [](void* port) -> DWORD {
                HANDLE handle = static_cast<HANDLE>(port);
                return ReadAll(handle) && WriteAll(handle) && ReadAll(handle) ? 0 : 1;
            },
            handles[i].Get(), 0, nullptr));
        ok = threads.back().Valid();
        if (ok) {
            waitFor.push_back(threads.back().Get());
        }
    }
    WaitForMultipleObjects(static_cast<DWORD>(waitFor.size()), waitFor.data(), TRUE, 30000);
    micros = NowMicros() - start;
    for (HANDLE thread : waitFor) {
        DWORD code = 1;
        ok = ok && GetExitCodeThread(thread, &code) && code == 0;
    }
    threads.clear();
    handles.clear();
    servedPerPort = 0;
    for (int i = 0; i < ports; i++) {
        servedPerPort += static_cast<double>(sim.Counters(kHubPorts[i]).serveMicros) / ports;
        sim.Remove(kHubPorts[i]);
    }
    return ok;
}

// What a process holds. Windows counts handles and private bytes; Wine answers those calls
// with zeros, so under Wine the Unix process behind it is looked at instead: its open file
// descriptors and threads stand for handles, its anonymous resident memory for private bytes.
// The same 155 frames as a batch's chip (read, write, read back) from a plain loop in this
// process: the best ratio over the driver's time any program could reach here.
bool PlainLoop(SimControl& sim, double& ratio) {
    win32::AutoCloseHandle port;
    if (!sim.Reset(kPort) || !sim.SetDelay(kPort, kFrameMicros) || !OpenNamedPort(kPort, port)) {
        return false;
    }
    sim.Clear(kPort);
    double start = NowMicros();
    bool ok = ReadAll(port.Get()) && WriteAll(port.Get()) && ReadAll(port.Get());
    double elapsed = NowMicros() - start;
    port.Reset();
    ratio = elapsed / static_cast<double>(sim.Counters(kPort).serveMicros);
    sim.Reset(kPort);
    return ok;
}

struct Footprint {
    bool windows = false;
    unsigned long handles = 0;  // Windows handles, or Unix descriptors
    unsigned long threads = 0;  // Unix threads (Wine only)
    double privateMiB = 0;
};

// The Unix process (under Wine) whose command line mentions marker; 0 when none is.
unsigned long UnixPidOf(const std::string& marker) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    unsigned long found = 0;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && found == 0;
         more = FindNextFileA(search, &entry)) {
        unsigned long pid = std::strtoul(entry.cFileName, nullptr, 10);
        if (pid == 0) {
            continue;
        }
        std::ifstream file("Z:\\proc\\" + std::to_string(pid) + "\\cmdline", std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        if (text.str().find(marker) != std::string::npos &&
            text.str().find("batch") != std::string::npos) {
            found = pid;
        }
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    return found;
}

Footprint FootprintOf(HANDLE process, const std::string& marker) {
    Footprint footprint;
    DWORD handles = 0;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    if (GetProcessHandleCount(process, &handles) && handles > 0 &&
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory)) &&
        memory.PrivateUsage > 0) {
        footprint.windows = true;
        footprint.handles = handles;
        footprint.privateMiB = memory.PrivateUsage / (1024.0 * 1024.0);
        return footprint;
    }
    unsigned long pid = UnixPidOf(marker);
    if (pid == 0) {
        return footprint;
    }
    std::string folder = "Z:\\proc\\" + std::to_string(pid);
    std::ifstream status(folder + "\\status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("RssAnon:", 0) == 0) {
            footprint.privateMiB = std::strtoul(line.c_str() + 8, nullptr, 10) / 1024.0;
        } else if (line.rfind("Threads:", 0) == 0) {
            footprint.threads = std::strtoul(line.c_str() + 8, nullptr, 10);
        }
    }
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\fd\\*").c_str(), &entry);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry)) {
        footprint.handles += entry.cFileName[0] != '.' ? 1 : 0;
    }
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
    return footprint;
}

std::string Describe(const Footprint& footprint) {
    char text[120];
    if (footprint.windows) {
        std::snprintf(text, sizeof(text), "%lu handles, %.2f MiB private", footprint.handles,
                      footprint.privateMiB);
    } else {
        std::snprintf(text, sizeof(text), "%lu descriptors, %lu threads, %.2f MiB anonymous",
                      footprint.handles, footprint.threads, footprint.privateMiB);
    }
    return text;
}

bool Shift(SimControl& sim, const std::string& exe, int chips, Footprint& early, Footprint& late,
           double& seconds) {
    std::string log = TempPath("zq61prog-bench-shift.csv");
    if (!Unplug(sim, kPort, 0) || !sim.Remove(ZQSIM_DEFAULT_CHIP_B)) {
        return false;
    }
    BatchProcess batch(exe, log, chips + 1);  // still running after the last chip
    double start = NowMicros();
    for (int i = 1; i <= chips && batch.Started(); i++) {
        sim.Restore(kPort);
        if (!WaitForOutcomes(log, i, 10000)) {
            return false;
        }
        Unplug(sim, kPort, 0);
        Sleep(kUnpluggedMs);
        // Looked at with the board gone: the chip's turn has ended and its thread been joined,
        // not still closing its port after the logged outcome.
        if (i == 10) {
            early = FootprintOf(batch.Handle(), "zq61prog-bench-shift");
        }
        if (i == chips) {
            late = FootprintOf(batch.Handle(), "zq61prog-bench-shift");
        }
    }
    seconds = (NowMicros() - start) / 1e6;
    TerminateProcess(batch.Handle(), 0);
    sim.Restore(ZQSIM_DEFAULT_CHIP_B);
    return true;
}

// (a) 20 chips one by one; false when they could not be measured.
bool ReportOneByOne(SimControl& sim, const std::string& exe) {
    std::vector<Arrival> arrivals;
    if (!OneByOne(sim, exe, 20, arrivals)) {
        std::printf("   FAILED: 20 chips one by one did not all get an outcome\n");
        return false;
    }
    {
        std::vector<double> outcome, detect, serve, rest;
        for (const Arrival& a : arrivals) {
            outcome.push_back(a.outcomeMicros);
            detect.push_back(a.detectMicros);
            serve.push_back(a.serveMicros);
            rest.push_back((a.outcomeMicros - a.detectMicros) / a.serveMicros);
        }
        double ratio = Median(rest);
        std::printf(
            "   (a) 20 chips one by one: appearance to logged outcome %.1f ms, driver "
            "serving the chip's 155 frames %.1f ms (medians)\n",
            Median(outcome) / 1000, Median(serve) / 1000);
        std::printf("       detection (appearance to first frame) %.1f ms, printed on its own\n",
                    Median(detect) / 1000);
        std::printf(
            "       first frame to logged outcome over the driver's time %.3f   target "
            "<= 1.2  %s\n",
            ratio, ratio <= 1.2 ? "ok" : "MISSED");
        std::printf("       %.0f chips per minute back to back (appearance to outcome)\n",
                    60e6 / Median(outcome));
        double plain = 0;
        if (PlainLoop(sim, plain)) {
            std::printf(
                "       the same 155 frames from a plain loop in this process: %.3f over the "
                "driver's time (Wine's own cost per call, the best any program reaches here)\n",
                plain);
        }
    }
    return true;
}

constexpr int kSizes = sizeof(kHubSizes) / sizeof(kHubSizes[0]);

// One hub size's figures over the runs.
struct HubFigures {
    std::vector<double> wall;         // to the last logged outcome
    std::vector<double> perFrame;     // the driver's time per write call
    std::vector<double> plain;        // plain loops on as many ports
    std::vector<double> plainBeyond;  // their time per frame beyond the driver's
};

void PrintHub(const HubFigures (&figures)[kSizes], int runs) {
    double one = Median(figures[0].wall);
    double plainOne = Median(figures[0].plain);
    std::printf(
        "   (b) boards plugged at once, to the last logged outcome, over one board alone "
        "(medians of %d):\n",
        runs);
    std::printf("       %-8s %9s %7s   %-16s %15s %13s %12s\n", "boards", "wall ms", "ratio",
                "target", "driver us/frame", "plain loops", "zq61prog's");
    for (int size = 0; size < kSizes; size++) {
        double ratio = Median(figures[size].wall) / one;
        double plainRatio = Median(figures[size].plain) / plainOne;
        char target[32] = "";
        if (kHubSizes[size] == 4) {
            std::snprintf(target, sizeof(target), "<= 1.5  %s", ratio <= 1.5 ? "ok" : "MISSED");
        }
        std::printf("       %-8d %9.1f %7.2f   %-16s %15.0f %13.2f %12.2f\n", kHubSizes[size],
                    Median(figures[size].wall) / 1000, ratio, target,
                    Median(figures[size].perFrame), plainRatio, ratio / plainRatio);
    }
    std::printf(
        "       driver us/frame: its time serving a write call, the emulated %u us "
        "included (target\n       within 5 %%). plain loops: the boards' frames from a "
        "plain loop per port, a thread\n       each, over one port's: Wine's own cost per "
        "call on %lu CPUs, what no program avoids.\n       zq61prog's: the ratio over "
        "the plain loops' ratio, what is left to the batch itself.\n",
        kFrameMicros, CpuCount());
    std::printf("       Wine's own time per frame beyond the driver's, from the plain loops:");
    for (int size = 0; size < kSizes; size++) {
        std::printf("%s %d at once %.0f us", size == 0 ? "" : ",", kHubSizes[size],
                    Median(figures[size].plainBeyond));
    }
    std::printf(
        "\n       (every port's calls go through one wineserver and the driver's one "
        "dispatch thread)\n");
}

// (b) 1, 4 and 8 boards plugged at once, against plain loops on as many ports.
bool ReportHub(SimControl& sim, const std::string& exe, int runs) {
    HubFigures figures[kSizes];
    for (int i = 0; i < runs; i++) {
        for (int size = 0; size < kSizes; size++) {
            HubRun run;
            double loops = 0;
            double loopServed = 0;
            if (!AtOnce(sim, exe, kHubSizes[size], run) || run.frames == 0) {
                std::printf("   FAILED: the %d boards on the hub did not all get an outcome\n",
                            kHubSizes[size]);
                return false;
            }
            if (!PlainLoopsAtOnce(sim, kHubSizes[size], loops, loopServed)) {
                std::printf("   FAILED: plain loops on %d hub ports at once\n", kHubSizes[size]);
                return false;
            }
            figures[size].wall.push_back(run.micros);
            figures[size].perFrame.push_back(run.servedMicros / std::max(run.frames, 1.0));
            figures[size].plain.push_back(loops);
            figures[size].plainBeyond.push_back((loops - loopServed) / kChipFrames);
        }
    }
    PrintHub(figures, runs);
    return true;
}

// (c) a shift of 300 chips: what the process holds after chip 10 and after chip 300.
bool ReportShift(SimControl& sim, const std::string& exe) {
    Footprint early, late;
    double seconds = 0;
    if (!Shift(sim, exe, 300, early, late, seconds)) {
        std::printf("   FAILED: the shift of 300 chips did not complete\n");
        return false;
    }
    {
        // A little slack for what the system itself caches; a leak per chip would be 290 or more.
        bool flat = early.handles > 0 && late.handles <= early.handles + 2 &&
                    late.threads <= early.threads && late.privateMiB <= early.privateMiB + 1;
        std::printf("   (c) a shift of 300 chips in one run (%.0f s, no frame delay)%s\n", seconds,
                    early.windows ? "" : ", the Wine process seen from Linux");
        std::printf("       after chip 10:  %s\n", Describe(early).c_str());
        std::printf("       after chip 300: %s   target no growth  %s\n", Describe(late).c_str(),
                    flat ? "ok" : "MISSED");
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <zq61prog.exe> <runs>\n", argv[0]);
        return 2;
    }
    std::string exe = WindowsPath(argv[1]);
    int runs = std::max(std::atoi(argv[2]), 1);
    SimControl sim;
    if (!sim.IsOpen() || !sim.Reset(kPort)) {
        std::fprintf(stderr, "no stand-in driver\n");
        return 1;
    }
    // The hub's ports exist from here on, unplugged until their turn.
    for (const char* port : kHubPorts) {
        sim.AddPort(port, ZQSIM_KIND_CHIP_A);
        sim.Remove(port);
    }
    std::printf("5. zq61prog batch: boards plugged through the stand-in driver, %u us per frame\n",
                kFrameMicros);
    bool measured = ReportOneByOne(sim, exe) && ReportHub(sim, exe, runs) && ReportShift(sim, exe);
    sim.Reset(kPort);
    sim.Reset(ZQSIM_DEFAULT_CHIP_B);
    return measured ? 0 : 1;
}
