// The batch's news for the station's window. Workers and the port watch report from their own
// threads; nothing of theirs touches a window: each report is queued here and the window is
// told, with a posted message, to take the queue on its own thread.
#pragma once

#include <windows.h>

#include <deque>
#include <mutex>
#include <utility>
#include <string>
#include <vector>

#include "batch_observer.h"
#include "ledger.h"

enum class StationEventKind {
    ChipPort,   // a chip port appeared: port, map
    PortLeft,   // a port left the map: port
    Phase,      // port, phase; nextSerial once a board is writing
    Done,       // report
    LeftAlone,  // port
    Stopping,   // text: why ("" when the count is reached)
    Ended,      // the batch stopped and every turn has ended
    Ledger,     // a shared ledger's connection: text "lost" or "back"
};

struct StationEvent {
    StationEventKind kind = StationEventKind::Ended;
    std::string port;
    std::vector<std::string> map;
    ChipPhase phase = ChipPhase::Reading;
    std::string nextSerial;
    ChipReport report;
    std::string text;
};

// For StartBatch: a shared ledger's connection lost or back, news for the window while its
// batch runs.
void TellLedgerConnection(bool connected);

class StationEvents : public BatchObserver {
public:
    // Posts message to window whenever events wait. ledger: for the next serial, asked on the
    // worker's thread, so the window never waits on the ledger.
    StationEvents(HWND window, UINT message, Ledger& ledger);
    ~StationEvents() override;
    StationEvents(const StationEvents&) = delete;
    StationEvents& operator=(const StationEvents&) = delete;

    // Signalled once the batch stops or a stop is asked for: it wakes the port watch.
    HANDLE Wake() const { return wake_; }

    void Push(StationEvent event);
    // Every event queued so far, oldest first; on the window's thread.
    std::deque<StationEvent> Take();

    void ChipPhaseChanged(const std::string& port, ChipPhase phase) override;
    void ChipDone(const ChipReport& report) override;
    void ChipLeftAlone(const std::string& port) override;
    void Stopping(const std::string& reason) override;

private:
    HWND window_;
    UINT message_;
    Ledger& ledger_;
    HANDLE wake_;
    std::mutex lock_;  // queue_
    std::deque<StationEvent> queue_;
};
