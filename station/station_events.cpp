#include "station_events.h"

namespace {

// The window that hears of the ledger's connection: the ledger reports from whichever worker
// noticed, and the window that shows the batch exists only once the batch has begun.
std::mutex listenerLock;
StationEvents* listener = nullptr;

}  // namespace

void TellLedgerConnection(bool connected) {
    std::lock_guard<std::mutex> hold(listenerLock);
    if (listener != nullptr) {
        StationEvent event;
        event.kind = StationEventKind::Ledger;
        event.text = connected ? "back" : "lost";
        listener->Push(std::move(event));
    }
}

StationEvents::StationEvents(HWND window, UINT message, Ledger& ledger)
    : window_(window),
      message_(message),
      ledger_(ledger),
      wake_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    std::lock_guard<std::mutex> hold(listenerLock);
    listener = this;
}

StationEvents::~StationEvents() {
    {
        std::lock_guard<std::mutex> hold(listenerLock);
        listener = nullptr;
    }
    if (wake_ != nullptr) {
        CloseHandle(wake_);
    }
}

void StationEvents::Push(StationEvent event) {
    bool first = false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        first = queue_.empty();
        queue_.push_back(std::move(event));
    }
    // One message per batch of events: the window takes them all at once.
    if (first) {
        PostMessageW(window_, message_, 0, 0);
    }
}

std::deque<StationEvent> StationEvents::Take() {
    std::lock_guard<std::mutex> hold(lock_);
    return std::exchange(queue_, {});
}

void StationEvents::ChipPhaseChanged(const std::string& port, ChipPhase phase) {
    StationEvent event;
    event.kind = StationEventKind::Phase;
    event.port = port;
    event.phase = phase;
    if (phase == ChipPhase::Writing) {
        // The board has taken its serial: the next one is the ledger's next.
        event.nextSerial = ledger_.NextSerial();
    }
    Push(std::move(event));
}

void StationEvents::ChipDone(const ChipReport& report) {
    StationEvent event;
    event.kind = StationEventKind::Done;
    event.port = report.port;
    event.report = report;
    Push(std::move(event));
}

void StationEvents::ChipLeftAlone(const std::string& port) {
    StationEvent event;
    event.kind = StationEventKind::LeftAlone;
    event.port = port;
    Push(std::move(event));
}

void StationEvents::Stopping(const std::string& reason) {
    StationEvent event;
    event.kind = StationEventKind::Stopping;
    event.text = reason;
    Push(std::move(event));
    SetEvent(wake_);
}
