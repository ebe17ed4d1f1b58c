// zq61prog's cost per command: process start to exit of `zq61prog read` and `zq61prog write`
// against a bare console program sending the same frames in a plain loop, both at 1 ms per frame
// on the stand-in driver. Prints group 4 of scripts/benchmark.sh.
// Usage: prog_bench <zq61prog.exe> <bare_frames.exe> <runs>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_process.h"
#include "sim_control_client.h"

namespace {

constexpr const char* kPort = ZQSIM_DEFAULT_CHIP_A;
constexpr unsigned kFrameMicros = 1000;

// Microseconds from CreateProcess to the process's end; negative when it failed.
double TimeProcess(const std::string& exe, const std::string& arguments) {
    double start = NowMicros();
    BenchProcess process(exe, arguments);
    DWORD exitCode = 1;
    bool ended = process.Wait(60000, exitCode);
    double elapsed = NowMicros() - start;
    return ended && exitCode == 0 ? elapsed : -1;
}

struct Command {
    const char* name;
    std::string progArguments;
    std::string bareArguments;
    unsigned frames;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <zq61prog.exe> <bare_frames.exe> <runs>\n", argv[0]);
        return 2;
    }
    std::string prog = WindowsPath(argv[1]);
    std::string bare = WindowsPath(argv[2]);
    int runs = std::atoi(argv[3]);
    SimControl sim;
    if (!sim.IsOpen() || !sim.Reset(kPort) || !sim.SetDelay(kPort, kFrameMicros)) {
        std::fprintf(stderr, "no stand-in driver\n");
        return 1;
    }
    std::string port = kPort;
    const Command commands[] = {
        {"read", "read --port " + port, "read " + port, 52},
        {"write", "write --port " + port, "write " + port, 51 + 52},
    };
    std::printf(
        "4. zq61prog: process start to exit over a bare console program sending the same "
        "frames, %u us per frame, median of %d runs\n",
        kFrameMicros, runs);
    bool measured = true;
    for (const Command& command : commands) {
        std::vector<double> progTimes;
        std::vector<double> bareTimes;
        // Taken in turn, so a drift of the machine's load weighs on both alike.
        for (int i = 0; i < runs + 1 && measured; i++) {
            double barePass = TimeProcess(bare, command.bareArguments);
            sim.Clear(kPort);
            double progPass = TimeProcess(prog, command.progArguments);
            ZqSimCounters counters = sim.Counters(kPort);
            if (barePass < 0 || progPass < 0 || counters.writeCalls != command.frames) {
                std::printf("   FAILED: %s did not run cleanly (%u frames)\n", command.name,
                            counters.writeCalls);
                measured = false;
            }
            if (std::getenv("ZQ_BENCH_VERBOSE")) {
                std::printf("   %s pass %d: bare %.1f ms, zq61prog %.1f ms\n", command.name, i,
                            barePass / 1000, progPass / 1000);
            }
            if (i > 0) {  // the first pass warms the caches
                bareTimes.push_back(barePass);
                progTimes.push_back(progPass);
            }
        }
        if (!measured) {
            break;
        }
        double progMs = Median(progTimes) / 1000;
        double bareMs = Median(bareTimes) / 1000;
        double ratio = progMs / bareMs;
        std::printf(
            "   zq61prog %-6s %7.1f ms   bare %7.1f ms   %3u frames   ratio %.3f   "
            "target <= 1.15  %s\n",
            command.name, progMs, bareMs, command.frames, ratio, ratio <= 1.15 ? "ok" : "MISSED");
    }
    sim.Reset(kPort);
    return measured ? 0 : 1;
}
