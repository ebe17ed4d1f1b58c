// zq61prog batch printing a label for every board, against the same batch printing none: boards
// per minute on one port and on four, boards plugged through the stand-in driver and the labels
// sent to a loopback raw-TCP printer in this process. Prints group 10 of scripts/benchmark.sh.
// Usage: label_bench <zq61prog.exe> <label.zpl> <runs>
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "bench_process.h"
#include "loopback_printer.h"
#include "scoped_win.h"
#include "sim_control_client.h"

namespace {

constexpr unsigned kFrameMicros = 1000;
constexpr int kRounds = 5;  // boards per port in one run
constexpr DWORD kUnpluggedMs = 250;
const char* const kPorts[] = {"COM41", "COM42", "COM43", "COM44"};

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

// The log's lines with this outcome so far.
int Lines(const std::string& log, const char* outcome) {
    std::ifstream file(log, std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(file, line);) {
        count += line.find(outcome) != std::string::npos ? 1 : 0;
    }
    return count;
}

bool Unplug(SimControl& sim, const char* port) {
    return sim.Remove(port) && sim.Fill(port, 0xFF) && sim.SetDelay(port, kFrameMicros) &&
           sim.Clear(port);
}

// Boards per minute: `ports` boards plugged at once, kRounds times, each round timed from the
// plug to the last board's end on record (its label's record, when the batch prints labels);
// the operator's unplugging between rounds is not counted.
bool BoardsPerMinute(SimControl& sim, const std::string& exe, const std::string& label, int ports,
                     bool labels, double& perMinute) {
    std::string log = TempPath("zq61prog-bench-label.csv");
    for (int i = 0; i < ports; i++) {
        if (!Unplug(sim, kPorts[i])) {
            return false;
        }
    }
    LoopbackPrinter printer;
    std::string arguments = "batch " + NewLogBatch(log, ports * kRounds);
    if (labels) {
        arguments += " --label \"" + label + "\" --printer " + printer.Target();
    }
    BenchProcess batch(exe, arguments, 10000);
    Sleep(500);
    double busy = 0;
    for (int round = 1; round <= kRounds && batch.Started(); round++) {
        double plugged = NowMicros();
        for (int i = 0; i < ports; i++) {
            sim.Restore(kPorts[i]);
        }
        const char* end = labels ? ",labelled," : ",verified,";
        while (Lines(log, end) < ports * round) {
            if (NowMicros() - plugged > 30e6) {
                return false;
            }
            Sleep(1);
        }
        busy += NowMicros() - plugged;
        for (int i = 0; i < ports; i++) {
            Unplug(sim, kPorts[i]);
        }
        Sleep(kUnpluggedMs);
    }
    perMinute = ports * kRounds * 60e6 / busy;
    return !labels || static_cast<int>(printer.Labels().size()) == ports * kRounds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <zq61prog.exe> <label.zpl> <runs>\n", argv[0]);
        return 2;
    }
    std::string exe = WindowsPath(argv[1]);
    std::string label = WindowsPath(argv[2]);
    int runs = std::max(std::atoi(argv[3]), 1);
    SimControl sim;
    if (!sim.IsOpen()) {
        std::fprintf(stderr, "no stand-in driver\n");
        return 1;
    }
    for (const char* port : kPorts) {
        sim.AddPort(port, ZQSIM_KIND_CHIP_A);
        sim.Remove(port);
    }
    sim.Remove(ZQSIM_DEFAULT_CHIP_A);
    sim.Remove(ZQSIM_DEFAULT_CHIP_B);
    std::printf(
        "10. Labels: zq61prog batch with --label (the default label to a loopback raw-TCP "
        "printer)\n    over the same batch without, boards per minute, %d boards a port, %u us "
        "per frame, median of %d runs\n",
        kRounds, kFrameMicros, runs);
    bool measured = true;
    for (int ports : {1, 4}) {
        std::vector<double> with, without;
        for (int run = 0; run < runs && measured; run++) {
            // Taking turns, so that the machine's other load falls on both.
            double a = 0, b = 0;
            measured = BoardsPerMinute(sim, exe, label, ports, run % 2 == 0, a) &&
                       BoardsPerMinute(sim, exe, label, ports, run % 2 != 0, b);
            with.push_back(run % 2 == 0 ? a : b);
            without.push_back(run % 2 == 0 ? b : a);
        }
        if (!measured) {
            std::printf("    %d port%s: FAILED: a batch did not finish its boards\n", ports,
                        ports == 1 ? "" : "s");
            break;
        }
        double ratio = Median(with) / Median(without);
        std::printf(
            "    %d port%s: %7.1f boards/min with labels, %7.1f without: %.3f   target >= 0.95  "
            "%s\n",
            ports, ports == 1 ? " " : "s", Median(with), Median(without), ratio,
            ratio >= 0.95 ? "ok" : "MISSED");
    }
    sim.Restore(ZQSIM_DEFAULT_CHIP_A);
    sim.Restore(ZQSIM_DEFAULT_CHIP_B);
    for (const char* port : kPorts) {
        sim.Remove(port);
    }
    return measured ? 0 : 1;
}
