#include "station_events.h"

#include <utility>

namespace {

// The window that hears of the ledger's connection: the ledger reports from whichever worker
// noticed, and the window that shows the batch exists only once the batch has begun. Until it
// does, the connection's last news waits here.
std::mutex listenerMutex;
StationEvents* listener = nullptr;
bool lostUnheard = false;

StationEvent LedgerNews(bool connected) {
    StationEvent event;
    event.kind = StationEventKind::Ledger;
    event.text = connected ? "back" : "lost";
    return event;
}

}  // namespace

void TellLedgerConnection(bool connected) {
    std::lock_guard<std::mutex> hold(listenerMutex);
    if (listener != nullptr) {
        listener->Push(LedgerNews(connected));
    } else {
        // A loss and its end both before the window: nothing to say.
        lostUnheard = !connected;
    }
}

StationEvents::StationEvents(HWND window, UINT message, bool nextFollowsFromTake)
    : window_(window),
      message_(message),
      nextFollowsFromTake_(nextFollowsFromTake),
      wake_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    std::lock_guard<std::mutex> hold(listenerMutex);
    listener = this;
    if (std::exchange(lostUnheard, false)) {
        Push(LedgerNews(false));
    }
}

StationEvents::~StationEvents() {
    std::lock_guard<std::mutex> hold(listenerMutex);
    listener = nullptr;
}

void StationEvents::Push(StationEvent event) {
    bool first = false;
    {
        std::lock_guard<std::mutex> hold(queueMutex_);
        first = queue_.empty();
        queue_.push_back(std::move(event));
    }
    // One message per batch of events: the window takes them all at once.
    if (first) {
        PostMessageW(window_, message_, 0, 0);
    }
}

std::deque<StationEvent> StationEvents::Take() {
    std::lock_guard<std::mutex> hold(queueMutex_);
    return std::exchange(queue_, {});
}

void StationEvents::ChipPhaseChanged(const std::string& port, ChipPhase phase) {
    StationEvent event;
    event.kind = StationEventKind::Phase;
    event.port = port;
    event.phase = phase;
    Push(std::move(event));
}

void StationEvents::SerialTaken(const std::string& port, const std::string& serial) {
    StationEvent event;
    event.kind = StationEventKind::Taken;
    event.port = port;
    // Worked out here, not asked of the ledger: no round trip per board, no wait in a loss. A
    // format's or a list's next serial cannot be: it shows as unknown rather than a guess.
    if (nextFollowsFromTake_) {
        event.next = NextAfterTake(serial);
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

void StationEvents::SerialsWaiting(const std::string& why) {
    StationEvent event;
    event.kind = StationEventKind::Waiting;
    event.text = why;
    Push(std::move(event));
}

void StationEvents::Stopping(const std::string& reason) {
    StationEvent event;
    event.kind = StationEventKind::Stopping;
    event.text = reason;
    Push(std::move(event));
    SetEvent(wake_.Get());
}
