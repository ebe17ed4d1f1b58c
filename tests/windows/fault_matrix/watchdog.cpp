#include "watchdog.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

#include "sim_control_client.h"

namespace {

std::mutex guard;
std::string lastStep = "starting";
std::chrono::steady_clock::time_point lastTime = std::chrono::steady_clock::now();
DWORD watchedProcess = 0;

// Asked on a thread of its own: a driver that hangs must not hang the report too.
std::string DriverReport() {
    auto* report = new std::string("the stand-in driver does not answer within 3 s");
    auto* answered = new bool(false);
    std::thread([report, answered] {
        SimControl sim;
        ZqSimPortState state = sim.State(ZQSIM_DEFAULT_CHIP_A);
        ZqSimCounters counters = sim.Counters(ZQSIM_DEFAULT_CHIP_A);
        char text[200];
        std::snprintf(text, sizeof(text),
                      "driver: %s %u open, %u write calls, %u reads, %u timed out, %u cancelled",
                      state.port, state.openHandles, counters.writeCalls, counters.readCalls,
                      counters.readTimeouts, counters.readsCancelled);
        std::lock_guard<std::mutex> lock(guard);
        *report = text;
        *answered = true;
    }).detach();
    for (int i = 0; i < 30; i++) {
        Sleep(100);
        std::lock_guard<std::mutex> lock(guard);
        if (*answered) {
            return *report;
        }
    }
    // The thread may still finish later; the two strings are left to it.
    std::lock_guard<std::mutex> lock(guard);
    return *report;
}

}  // namespace

void Progress(const std::string& where) {
    std::lock_guard<std::mutex> lock(guard);
    lastStep = where;
    lastTime = std::chrono::steady_clock::now();
}

void WatchProcess(DWORD processId) {
    std::lock_guard<std::mutex> lock(guard);
    watchedProcess = processId;
}

void StartWatchdog(DWORD limitMs) {
    std::thread([limitMs] {
        for (;;) {
            Sleep(500);
            std::string step;
            DWORD processId = 0;
            {
                std::lock_guard<std::mutex> lock(guard);
                auto idle = std::chrono::steady_clock::now() - lastTime;
                if (idle < std::chrono::milliseconds(limitMs)) {
                    continue;
                }
                step = lastStep;
                processId = watchedProcess;
            }
            std::printf("\nSTUCK: no progress for %lu ms at: %s\n%s\n", limitMs, step.c_str(),
                        DriverReport().c_str());
            std::fflush(stdout);
            HANDLE process =
                processId != 0 ? OpenProcess(PROCESS_TERMINATE, FALSE, processId) : nullptr;
            if (process != nullptr) {
                TerminateProcess(process, 99);
                CloseHandle(process);
            }
            ExitProcess(3);
        }
    }).detach();
}
