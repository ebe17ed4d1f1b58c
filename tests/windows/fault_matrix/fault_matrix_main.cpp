// The fault matrix: ZQ61CFG.exe against a simulated chip that stops answering at every frame of
// Read Config, Write Config and Write Config with the lock, and against a port that vanishes
// while a job runs. Prints one line per case and a summary; exits 0 only when every case held.
//
// Usage: fault_matrix <ZQ61CFG.exe> [read] [write] [lock] [vanish]   (no group: all of them)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app_session.h"
#include "expected_traffic.h"
#include "fault_runner.h"
#include "sim_control_client.h"
#include "vanish_cases.h"
#include "watchdog.h"

namespace {

struct Worst {
    double ms = 0;
    std::string label;
};

struct Summary {
    int cases = 0;
    int failed = 0;
    int wrongOutcomes = 0;
    Worst matrix;     // the chip going mute at a frame
    Worst vanishing;  // the port vanishing, mostly with slowed frames
};

void PrintRow(const CaseResult& result) {
    std::string k = result.faultAt == NO_FAULT ? "-" : std::to_string(result.faultAt);
    std::printf("%-27s %4s  %-13s %-13s %6.0f  %s\n", result.label.c_str(), k.c_str(),
                OutcomeName(result.outcome), OutcomeName(result.expected), result.ms,
                result.Ok() ? "ok" : "FAIL");
    for (const std::string& problem : result.problems) {
        std::printf("    %s\n", problem.c_str());
    }
    std::fflush(stdout);
}

void Record(Summary& summary, Worst& worst, const CaseResult& result) {
    PrintRow(result);
    summary.cases++;
    summary.failed += !result.Ok();
    summary.wrongOutcomes += result.outcome != result.expected;
    if (result.ms > worst.ms) {
        worst.ms = result.ms;
        worst.label = result.label +
                      " k=" + (result.faultAt == NO_FAULT ? "-" : std::to_string(result.faultAt));
    }
}

void PrintWorst(const char* group, const Worst& worst) {
    if (!worst.label.empty()) {
        std::printf("worst action time, %s: %.0f ms (%s)\n", group, worst.ms, worst.label.c_str());
    }
}

void RunMatrix(FaultRunner& runner, Action action, int faultPoints, Summary& summary) {
    for (int k = 0; k <= faultPoints; k++) {
        CaseSetup setup;
        setup.action = action;
        // The last round is the control: with no fault the same checks must see success.
        setup.muteAfter = k < faultPoints ? k : NO_FAULT;
        Record(summary, summary.matrix, runner.Run(setup));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <ZQ61CFG.exe> [read] [write] [lock] [vanish]\n", argv[0]);
        return 2;
    }
    SetAppPath(argv[1]);
    std::set<std::string> groups(argv + 2, argv + argc);
    auto wanted = [&](const char* group) { return groups.empty() || groups.count(group) > 0; };
    DWORD startTicks = GetTickCount();
    // Longer than any step may legitimately take (a hung job is given 15 s, a slow one 10 s to
    // reach the frame a vanish case waits for).
    StartWatchdog(60000);

    std::vector<std::string> missed = SelfCheckTraffic();
    for (const std::string& what : missed) {
        std::printf("traffic check misses: %s\n", what.c_str());
    }

    SimControl sim;
    if (!sim.IsOpen()) {
        std::printf("the stand-in driver does not answer (%s)\n", ZQSIM_CONTROL_PATH);
        return 1;
    }
    FaultRunner runner(sim);
    Summary summary;
    std::printf("%-27s %4s  %-13s %-13s %6s  %s\n", "action", "k", "outcome", "expected", "ms",
                "ok");
    if (wanted("read")) {
        RunMatrix(runner, Action::Read, READ_FRAMES, summary);
    }
    if (wanted("write")) {
        RunMatrix(runner, Action::Write, WRITE_FRAMES + READ_FRAMES, summary);
    }
    if (wanted("lock")) {
        RunMatrix(runner, Action::LockedWrite, LOCKED_WRITE_FRAMES + READ_FRAMES, summary);
    }
    if (wanted("vanish")) {
        RunVanishCases(runner, sim, [&](const CaseResult& result) {
            Record(summary, summary.vanishing, result);
        });
    }
    runner.Restart();
    sim.Reset(FAULT_PORT);

    double seconds = (GetTickCount() - startTicks) / 1000.0;
    std::printf("\ncases: %d, failed: %d, outcomes %s (%d wrong)\n", summary.cases, summary.failed,
                summary.wrongOutcomes == 0 ? "all correct" : "NOT all correct",
                summary.wrongOutcomes);
    PrintWorst("mute chip", summary.matrix);
    PrintWorst("vanishing port", summary.vanishing);
    std::printf("traffic self-check: %s; total run: %.1f s\n", missed.empty() ? "ok" : "FAILED",
                seconds);
    return summary.cases > 0 && summary.failed == 0 && missed.empty() ? 0 : 1;
}
