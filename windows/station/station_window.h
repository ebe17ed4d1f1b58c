// The station's main window: the job in a header, the batch's counters, a line that says what
// the batch is doing (and any fault), a Stop button, and the ports' tiles. The batch's workers
// run on a thread of their own (WorkerThread); their news is taken from the queue on the
// window's thread.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "audit_turns.h"
#include "banner.h"
#include "batch.h"
#include "batch_start.h"
#include "worker_thread.h"
#include "board_rate.h"
#include "look_colours.h"
#include "next_serial.h"
#include "scoped_win.h"
#include "station_events.h"
#include "tile_area.h"
#include "window_thunk.h"

// The message that tells the window events wait in the queue.
inline constexpr UINT WM_STATION_EVENTS = WM_APP + 1;

class StationWindow : public win32::WindowObject {
public:
    static void Register(HINSTANCE instance);

    // Creates and shows the window with the job's header; no batch runs yet. firstSerial: the
    // ledger's next serial as read at the start ("" when it could not be read).
    // auditAgainst: an audit station's basis ("job 3F09A1C2 (bench.json)"), "" for a batch.
    StationWindow(const RunStart& start, const std::string& firstSerial,
                  const std::string& auditAgainst = "");
    ~StationWindow();

    // Closes the window before a batch has begun (the lock was not confirmed).
    void Abandon();
    // Shows the batch that thread runs until the batch stops and the window is closed.
    void Begin(Batch& batch, StationEvents& events, WorkerThread& thread);
    // Shows the audit station that thread runs, as Begin shows a batch.
    void BeginAudit(AuditTurns& audit, StationEvents& events, WorkerThread& thread);

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    void MakeFonts();
    void MakeControls();
    void Layout();
    int LayoutHeader(int width, int margin);
    void FitJobFont(int textWidth);
    void Begun(StationEvents& events, WorkerThread& thread);
    int ExitCode() const;
    void Apply(const StationEvent& event);
    void ApplyAudited(const StationEvent& event);
    void ApplyPhase(const StationEvent& event);
    void ApplyDone(const StationEvent& event);
    void ApplyEnded();
    void AskToStop(bool close);
    void ShowStopButton(int textId);
    void ShowCounters();
    void ShowBanner();
    // The banner while the ledger does not answer, with a leasing station's serials left.
    void ShowOffline();
    void HoldSessionEnd();
    LRESULT OnQueryEndSession();
    // The window's own messages, each as Handle hands it on.
    void OnSize(WPARAM kind);
    void LimitSize(MINMAXINFO& limits) const;
    void OnClose();
    void TakeEvents();  // the workers' news, queued for the window's thread
    void OnDestroy();
    int BannerHeight(int width) const;
    void DrawBanner(const DRAWITEMSTRUCT& item);
    int TextWidth(HWND control) const;
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    const RunStart& start_;
    double scale_ = 1;
    LookBrushes brushes_;
    win32::ScopedFont jobFont_, headerFont_, figureFont_, labelFont_, bannerFont_, buttonFont_;
    TileArea tiles_;  // after its fonts' and brushes' owners: its window goes first
    BatchState state_;
    BannerLook bannerLook_ = BannerLook::Info;
    int bannerHeight_ = 0;
    int jobPixels_ = 0;
    NextSerial next_;

    std::string auditAgainst_;
    Batch* batch_ = nullptr;
    AuditTurns* audit_ = nullptr;
    StationEvents* events_ = nullptr;
    WorkerThread* thread_ = nullptr;
    std::set<std::string> turns_;  // ports whose board's turn has begun and not ended
    bool sessionHeld_ = false;
    int serialsUsed_ = 0;
    BoardRate rate_;
};
