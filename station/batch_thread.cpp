#include "batch_thread.h"

#include "batch_workers.h"

BatchThread::BatchThread(Batch& batch, StationEvents& events) : events_(events) {
    Start([this, &batch, &events](const PortEvents& ports) {
        RunBatchWorkers(
            batch, events.Wake(), [this] { return stopAsked_.load(); }, ports);
        batch.FinishRecords();
    });
}

BatchThread::BatchThread(AuditTurns& audit, StationEvents& events) : events_(events) {
    Start([this, &audit, &events](const PortEvents& ports) {
        // Either wakes the port watch: the audit's own stop, or the window's (events.Wake()).
        RunChipWorkers(
            audit.Turns(), events.Wake(), [this] { return stopAsked_.load(); }, ports);
    });
}

void BatchThread::Start(std::function<void(const PortEvents& ports)> run) {
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
    thread_ = std::thread([&events, run, ports] {
        run(ports);
        events.Push(StationEvent{});  // Ended
    });
}

BatchThread::~BatchThread() {
    AskToStop();
    thread_.join();
}

void BatchThread::AskToStop() {
    if (!stopAsked_.exchange(true)) {
        SetEvent(events_.Wake());
    }
}
