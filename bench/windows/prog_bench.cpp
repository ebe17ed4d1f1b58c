// zq61prog's cost per command: process start to exit of `zq61prog read` and `zq61prog write`
// against a bare console program sending the same frames in a plain loop, both at 1 ms per frame
// on the stand-in driver. Prints group 4 of scripts/benchmark.sh.
// Usage: prog_bench <zq61prog.exe> <bare_frames.exe> <runs>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

// One program's run on a cleared port: its time, or negative when it failed or did not send
// exactly the command's frames. Both programs are measured alike: before each run the driver's
// log, counters and late-time carry are cleared, so neither inherits the other's.
double TimedRun(SimControl& sim, const std::string& exe, const std::string& arguments,
                unsigned frames) {
    sim.Clear(kPort);
    double micros = TimeProcess(exe, arguments);
    unsigned sent = sim.Counters(kPort).writeCalls;
    if (sent != frames) {
        std::printf("   FAILED: %s sent %u frames, not %u\n", exe.c_str(), sent, frames);
        return -1;
    }
    return micros;
}

// The command's median times for both programs over runs passes (plus one that warms up).
// The order alternates from pass to pass: a program that starts right after the other has
// exited shares the machine with that one's teardown, and that must not fall on one side only.
bool MeasureCommand(SimControl& sim, const std::string& prog, const std::string& bare,
                    const Command& command, int runs, std::vector<double>& progTimes,
                    std::vector<double>& bareTimes) {
    for (int i = 0; i < runs + 1; i++) {
        double barePass = 0;
        double progPass = 0;
        if (i % 2 == 0) {
            barePass = TimedRun(sim, bare, command.bareArguments, command.frames);
            progPass = TimedRun(sim, prog, command.progArguments, command.frames);
        } else {
            progPass = TimedRun(sim, prog, command.progArguments, command.frames);
            barePass = TimedRun(sim, bare, command.bareArguments, command.frames);
        }
        if (barePass < 0 || progPass < 0) {
            std::printf("   FAILED: %s did not run cleanly\n", command.name);
            return false;
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
    return true;
}

// "median ms (fastest-slowest)": when the spread is wider than the difference between the two
// programs, the machine's other load decides the ratio, not either program.
std::string Figure(const std::vector<double>& micros) {
    auto [fastest, slowest] = std::minmax_element(micros.begin(), micros.end());
    char text[64];
    std::snprintf(text, sizeof(text), "%7.1f ms (%.0f-%.0f)", Median(micros) / 1000,
                  *fastest / 1000, *slowest / 1000);
    return text;
}

// An audit against a job reads the same 52 frames as a read and compares: its time over the read's
// of the same chip is what the comparison and the job file cost. The chip is written first with
// the default identity, which the job names, so that every audit matches and exits 0.
bool MeasureAudit(SimControl& sim, const std::string& prog, int runs) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string job = std::string(folder) + "zq61prog-bench-job.json";
    const std::string text =
        "{\"vid\": \"2E1B\", \"pid\": \"6C04\", \"product\": \"usb2.0 serial\", \"lock\": false}\n";
    if (!(std::ofstream(job, std::ios::binary) << text)) {
        std::printf("   FAILED: cannot write %s\n", job.c_str());
        return false;
    }
    std::string port = kPort;
    if (TimeProcess(prog, "write --port " + port) < 0) {
        std::printf("   FAILED: cannot write the audited chip\n");
        return false;
    }
    Command audit{"audit", "audit --port " + port + " --job \"" + job + "\"", "read --port " + port,
                  52};
    std::vector<double> auditTimes;
    std::vector<double> readTimes;
    // The read is run as the "bare" program: the same exe, the same frames, no comparison.
    if (!MeasureCommand(sim, prog, prog, audit, runs, auditTimes, readTimes)) {
        return false;
    }
    double ratio = Median(auditTimes) / Median(readTimes);
    std::printf("   zq61prog audit %s   read %s   %3u frames   ratio %.3f   target <= 1.05  %s\n",
                Figure(auditTimes).c_str(), Figure(readTimes).c_str(), audit.frames, ratio,
                ratio <= 1.05 ? "ok" : "MISSED");
    std::remove(job.c_str());
    return true;
}

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
        measured = MeasureCommand(sim, prog, bare, command, runs, progTimes, bareTimes);
        if (!measured) {
            break;
        }
        double ratio = Median(progTimes) / Median(bareTimes);
        std::printf(
            "   zq61prog %-6s %s   bare %s   %3u frames   ratio %.3f   target <= 1.15  %s\n",
            command.name, Figure(progTimes).c_str(), Figure(bareTimes).c_str(), command.frames,
            ratio, ratio <= 1.15 ? "ok" : "MISSED");
        // Wine's process start and exit are most of either time, and the machine's other load
        // stretches them by hundreds of milliseconds: the fastest runs are the least disturbed.
        std::printf("   %-15s fastest runs' ratio %.3f\n", "",
                    *std::min_element(progTimes.begin(), progTimes.end()) /
                        *std::min_element(bareTimes.begin(), bareTimes.end()));
    }
    if (measured) {
        measured = MeasureAudit(sim, prog, runs);
    }
    sim.Reset(kPort);
    return measured ? 0 : 1;
}
