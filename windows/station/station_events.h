// The batch's news for the station's window. Workers and the port watch report from their own
// threads; nothing of theirs touches a window: each report is queued here and the window is
// told, with a posted message, to take the queue on its own thread.
#pragma once

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "batch_observer.h"
#include "next_serial.h"
#include "scoped_win.h"
#include "tile_content.h"

enum class StationEventKind {
    ChipPort,   // a chip port appeared: port, map
    PortLeft,   // a port left the map: port
    Phase,      // port, phase
    Taken,      // port: a board took its serial; next: the one after it
    Done,       // report
    LeftAlone,  // port
    Stopping,   // text: why ("" when the count is reached)
    Ended,      // the batch stopped and every turn has ended
    Ledger,     // a shared ledger's connection: text "lost" or "back"
    Waiting,    // text: why no board starts until the next period
    Audited,    // port, tile: an audit station's board read and compared (or not read)
};

struct StationEvent {
    StationEventKind kind = StationEventKind::Ended;
    std::string port;
    std::vector<std::string> map;
    ChipPhase phase = ChipPhase::Reading;
    NextSerial next;
    ChipReport report;
    std::string text;
    TileContent tile;
};

// For StartBatch: a shared ledger's connection lost or back, news for the window while its
// batch runs. A loss told before the window's news exists (while the lock is asked, say) is
// kept and given to it when it comes.
void TellLedgerConnection(bool connected);

class StationEvents : public BatchObserver {
public:
    // Posts message to window whenever events wait. nextFollowsFromTake: the serial after a taken
    // one can be worked out from it (a counter); otherwise the header says it is unknown.
    StationEvents(HWND window, UINT message, bool nextFollowsFromTake);
    ~StationEvents() override;
    StationEvents(const StationEvents&) = delete;
    StationEvents& operator=(const StationEvents&) = delete;

    // Signalled once the batch stops or a stop is asked for: it wakes the port watch.
    HANDLE Wake() const { return wake_.Get(); }

    void Push(StationEvent event);
    // Every event queued so far, oldest first; on the window's thread.
    std::deque<StationEvent> Take();

    void ChipPhaseChanged(const std::string& port, ChipPhase phase) override;
    void SerialTaken(const std::string& port, const std::string& serial) override;
    void ChipDone(const ChipReport& report) override;
    void ChipLeftAlone(const std::string& port) override;
    void Stopping(const std::string& reason) override;
    void SerialsWaiting(const std::string& why) override;

private:
    HWND window_;
    UINT message_;
    bool nextFollowsFromTake_;
    win32::AutoCloseHandle wake_;
    std::mutex queueMutex_;  // queue_
    std::deque<StationEvent> queue_;
};
