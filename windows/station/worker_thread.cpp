#include "worker_thread.h"

#include <exception>

#include "batch_workers.h"
#include "exit_codes.h"

WorkerThread::WorkerThread(Batch& batch, StationEvents& events)
    : events_(events),
      stop_([&batch](const std::string& reason) { batch.Stop(reason, EXIT_FAILED); }) {
    Start([this, &batch, &events](const PortEvents& ports) {
        RunBatchWorkers(
            batch, events.Wake(), [this] { return stopAsked_.load(); }, ports);
        batch.FinishRecords();
    });
}

WorkerThread::WorkerThread(AuditTurns& audit, StationEvents& events)
    : events_(events),
      stop_([&audit](const std::string& reason) { audit.Turns().stop(reason, EXIT_FAILED); }) {
    Start([this, &audit, &events](const PortEvents& ports) {
        // One event wakes the port watch for either stop: the audit's own (its news of stopping
        // sets it) or the window's (AskToStop).
        RunChipWorkers(
            audit.Turns(), events.Wake(), [this] { return stopAsked_.load(); }, ports);
    });
}

void WorkerThread::Start(std::function<void(const PortEvents& ports)> run) {
    StationEvents& events = events_;
    PortEvents ports;
    ports.chipPort = [&events](const std::string& port, const std::vector<std::string>& map) {
        StationEvent event;
        event.kind = StationEventKind::ChipPort;
        event.port = port;
        event.map = map;
        events.Push(std::move(event));
    };
    ports.portLeft = [&events](const std::string& port) {
        StationEvent event;
        event.kind = StationEventKind::PortLeft;
        event.port = port;
        events.Push(std::move(event));
    };
    try {
        thread_ = std::thread([this, run, ports] { Run(run, ports); });
    } catch (const std::exception& error) {
        // No board has started: the window is told the batch stopped and ended, on its own
        // thread, as the batch's thread would have told it.
        Fault(std::string("the station's batch could not start: ") + error.what());
        events_.Push(StationEvent{});  // Ended
    }
}

void WorkerThread::Run(const std::function<void(const PortEvents& ports)>& run,
                       const PortEvents& ports) {
    // The workers catch what escapes a board's turn or their own watch, and join the turns in
    // progress; whatever escapes them still stops the batch here rather than ending the program
    // in the middle of a write.
    try {
        run(ports);
    } catch (const std::exception& error) {
        Fault(std::string("internal error in the station's batch: ") + error.what());
    } catch (...) {
        Fault("internal error in the station's batch: an unknown exception");
    }
    try {
        events_.Push(StationEvent{});  // Ended
    } catch (...) {
        // Out of memory even for the news: the window's Stop and close still end the thread.
    }
}

void WorkerThread::Fault(const std::string& what) noexcept {
    try {
        stop_(what + "; the batch stops, and boards in progress finish first");
    } catch (...) {
        // The batch is stopping already: it is marked so before its news is told.
    }
}

WorkerThread::~WorkerThread() {
    AskToStop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void WorkerThread::AskToStop() {
    if (!stopAsked_.exchange(true)) {
        SetEvent(events_.Wake());
    }
}
