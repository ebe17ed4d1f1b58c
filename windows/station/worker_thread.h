// The thread that runs the station's workers for its window: a batch's, or an audit station's.
// It is declared after the batch (or the audit) and the news it uses, so that it is joined before
// either is destroyed, on every way out of the window's run (a throw included): its destructor
// asks the workers to stop (as Stop does: the boards in progress finish and are recorded) and
// waits for them. A fault outside any board's turn (a thread that cannot start, memory running
// out) stops the run with exit 3 and says so in the banner; the boards in progress finish.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "audit_turns.h"
#include "batch.h"
#include "station_events.h"

class WorkerThread {
public:
    WorkerThread(Batch& batch, StationEvents& events);
    // An audit station's turns instead of a batch's, told of the same way.
    WorkerThread(AuditTurns& audit, StationEvents& events);
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // No new board starts; the boards in progress finish. From the window's thread.
    void AskToStop();

private:
    // Runs the workers, given the news of the ports, on the thread; then tells the window.
    void Start(std::function<void(const PortEvents& ports)> run);
    void Run(const std::function<void(const PortEvents& ports)>& run, const PortEvents& ports);
    // Stops the batch for a fault, saying what it was.
    void Fault(const std::string& what) noexcept;

    StationEvents& events_;
    std::function<void(const std::string& reason)> stop_;  // the batch's or the audit's
    std::atomic<bool> stopAsked_{false};
    std::thread thread_;  // last: it starts once the members it reads exist
};
