#include "station_window.h"

#include <algorithm>
#include <chrono>

#include "core_words.h"
#include "exit_codes.h"
#include "offline_text.h"
#include "record_text.h"
#include "sql_ledger.h"
#include "station_ids.h"
#include "ui_fonts.h"
#include "ui_texts.h"
#include "utf_text.h"
#include "window_text.h"

namespace {

constexpr UINT_PTR kRateTimer = 1;
constexpr UINT kRateTimerMs = 10000;

// The client size asked for at 96 pixels per inch: room for eight tiles, four by two. The
// smallest still holds the job's whole line, the lock included.
constexpr int kClientWidth = 1000;
constexpr int kClientHeight = 720;
constexpr int kMinClientWidth = 600;
constexpr int kMinClientHeight = 440;

constexpr int kBannerPadding = 6;
constexpr int kJobPixels = 20;

constexpr int kCounterLabels[] = {IDS_COUNT_VERIFIED, IDS_COUNT_FAILED, IDS_COUNT_SKIPPED,
                                  IDS_COUNT_USED, IDS_COUNT_RATE};
constexpr int kAuditCounterLabels[] = {IDS_COUNT_AUDITED, IDS_COUNT_DIFFERING,
                                       IDS_COUNT_READ_FAILED, IDS_COUNT_BOARDS, IDS_COUNT_RATE};
constexpr int kCounterIds[] = {IDC_VERIFIED, IDC_FAILED, IDC_SKIPPED, IDC_USED, IDC_RATE};

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// What every board gets, read at a glance: the fields apart, the lock spelt out.
std::string JobText(const ChipIdentity& identity) {
    std::string product = identity.product ? Utf16ToUtf8(*identity.product).value_or("?") : "";
    return Say(IDS_JOB_LINE, {HexId(identity.vendorId), HexId(identity.productId), product,
                              Say(identity.lock ? IDS_JOB_LOCKED : IDS_JOB_NOT_LOCKED)});
}

// As large as asked for, but never larger than the screen's work area, in its middle.
RECT WindowPlace(int clientWidth, int clientHeight, DWORD style) {
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    int width = std::min<int>(frame.right - frame.left, work.right - work.left);
    int height = std::min<int>(frame.bottom - frame.top, work.bottom - work.top);
    int x = work.left + (work.right - work.left - width) / 2;
    int y = work.top + (work.bottom - work.top - height) / 2;
    return {x, y, x + width, y + height};
}

}  // namespace

void StationWindow::Register(HINSTANCE instance) {
    RegisterWindowClass(instance, STATION_WINDOW_CLASS, CS_HREDRAW | CS_VREDRAW,
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                        LoadIconW(instance, MAKEINTRESOURCEW(IDI_STATION)));
    TileArea::Register(instance);
}

StationWindow::StationWindow(const RunStart& start, const std::string& firstSerial,
                             const std::string& auditAgainst)
    : start_(start), next_(NextAtStart(firstSerial)), auditAgainst_(auditAgainst) {
    scale_ = DisplayScale();
    state_.lockToConfirm = start.settings.identity.lock;
    state_.resumedAfter = start.resumedAfter;
    state_.loginWarning = start.loginWarning;
    state_.count = start.settings.count;
    state_.audit = !auditAgainst.empty();
    MakeFonts();
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT place = WindowPlace(static_cast<int>(kClientWidth * scale_),
                             static_cast<int>(kClientHeight * scale_), style);
    std::string title = state_.audit ? Say(IDS_TITLE_AUDIT, {SayBasis(Words(), auditAgainst)})
                                     : Say(IDS_TITLE, {SayRecordName(Words(), start.recordName)});
    CreateWindowExW(0, STATION_WINDOW_CLASS, WideFromUtf8(title).c_str(), style, place.left,
                    place.top, place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                    GetModuleHandleW(nullptr), this);
    if (window_ == nullptr) {
        return;
    }
    MakeControls();
    ShowBanner();
    Layout();
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

StationWindow::~StationWindow() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void StationWindow::MakeFonts() {
    auto scaled = [&](int pixels) { return static_cast<int>(pixels * scale_); };
    headerFont_ = ShellFont(scaled(16), false);
    figureFont_ = ShellFont(scaled(34), true);
    labelFont_ = ShellFont(scaled(14), false);
    bannerFont_ = ShellFont(scaled(17), true);
    buttonFont_ = ShellFont(scaled(20), true);
}

void StationWindow::MakeControls() {
    auto make = [&](const wchar_t* className, int id, DWORD style, HFONT font) {
        HWND control =
            CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    };
    bool audit = !auditAgainst_.empty();
    SetText(make(L"STATIC", IDC_JOB, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, jobFont_.Get()),
            audit ? Say(IDS_AUDIT_HEADER, {SayBasis(Words(), auditAgainst_)})
                  : JobText(start_.settings.identity));
    SetText(make(L"STATIC", IDC_RECORD, SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, headerFont_.Get()),
            SayRecordName(Words(), start_.recordName));
    HWND station =
        make(L"STATIC", IDC_STATION, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, headerFont_.Get());
    if (start_.settings.station.empty()) {
        ShowWindow(station, SW_HIDE);
    } else {
        SetText(station, Say(IDS_STATION_NAME, {start_.settings.station}));
    }
    SetText(make(L"STATIC", IDC_NEXT, SS_LEFT | SS_NOPREFIX, headerFont_.Get()),
            audit ? Say(IDS_AUDIT_NO_SERIAL) : NextSerialText(Words(), next_));
    for (size_t i = 0; i < std::size(kCounterIds); i++) {
        // Nothing counted yet; boards per hour has no figure until a board has ended.
        SetText(make(L"STATIC", kCounterIds[i], SS_CENTER | SS_NOPREFIX, figureFont_.Get()),
                kCounterIds[i] == IDC_RATE ? "-" : "0");
        SetText(make(L"STATIC", IDC_COUNTER_LABEL + static_cast<int>(i), SS_CENTER | SS_NOPREFIX,
                     labelFont_.Get()),
                Say((audit ? kAuditCounterLabels : kCounterLabels)[i]));
    }
    // Drawn by the window: its colour says how the batch stands, with padding around the words.
    make(L"STATIC", IDC_BANNER, SS_OWNERDRAW, bannerFont_.Get());
    HWND stop = make(L"BUTTON", IDC_STOP, BS_PUSHBUTTON | WS_TABSTOP, buttonFont_.Get());
    SetText(stop, Say(IDS_BUTTON_STOP));
    EnableWindow(stop, FALSE);
    tiles_.Create(window_, scale_);
}

void StationWindow::Layout() {
    RECT client;
    GetClientRect(window_, &client);
    auto scaled = [&](int pixels) { return static_cast<int>(pixels * scale_); };
    auto place = [&](int id, int x, int y, int width, int height) {
        MoveWindow(Control(id), x, y, std::max(width, 0), std::max(height, 0), TRUE);
    };
    int width = client.right;
    int margin = scaled(10);
    int top = LayoutHeader(width, margin);
    int count = static_cast<int>(std::size(kCounterIds));
    int boxWidth = (width - 2 * margin) / count;
    for (int i = 0; i < count; i++) {
        int x = margin + i * boxWidth;
        place(kCounterIds[i], x, top, boxWidth, scaled(42));
        place(IDC_COUNTER_LABEL + i, x, top + scaled(42), boxWidth, scaled(20));
    }
    top += scaled(62) + margin / 2;
    bannerHeight_ = BannerHeight(width - 2 * margin);
    place(IDC_BANNER, margin, top, width - 2 * margin, bannerHeight_);
    top += bannerHeight_ + margin / 4;
    RECT area = {0, top, width, std::max<int>(client.bottom, top)};
    tiles_.Place(area);
}

// The Stop button, the job and the line under it; where the counters begin.
int StationWindow::LayoutHeader(int width, int margin) {
    auto scaled = [&](int pixels) { return static_cast<int>(pixels * scale_); };
    auto place = [&](int id, int x, int y, int width, int height) {
        MoveWindow(Control(id), x, y, std::max(width, 0), std::max(height, 0), TRUE);
    };
    int buttonWidth = scaled(150);
    int buttonHeight = scaled(56);
    place(IDC_STOP, width - margin - buttonWidth, margin, buttonWidth, buttonHeight);
    int textWidth = width - 3 * margin - buttonWidth;
    FitJobFont(textWidth);
    place(IDC_JOB, margin, margin, textWidth, scaled(27));
    // The record, the station and the next serial side by side, each as wide as its text; a
    // long path gives way with an ellipsis in its middle.
    int line = margin + scaled(30);
    int lineHeight = scaled(22);
    int space = scaled(24);
    bool station = !start_.settings.station.empty();
    int stationWidth = station ? TextWidth(Control(IDC_STATION)) : 0;
    int nextWidth = TextWidth(Control(IDC_NEXT));
    int recordWidth =
        std::min(TextWidth(Control(IDC_RECORD)),
                 textWidth - nextWidth - (station ? stationWidth + space : 0) - space);
    int x = margin;
    place(IDC_RECORD, x, line, recordWidth, lineHeight);
    x += std::max(recordWidth, 0) + space;
    if (station) {
        place(IDC_STATION, x, line, stationWidth, lineHeight);
        x += stationWidth + space;
    }
    place(IDC_NEXT, x, line, margin + textWidth - x, lineHeight);
    return margin + buttonHeight + margin / 2;
}

// The job in type as large as fits its line, down to a size still read at a step away.
void StationWindow::FitJobFont(int textWidth) {
    int most = static_cast<int>(kJobPixels * scale_);
    int height = std::max(FittingHeight(WindowText(Control(IDC_JOB)).c_str(), textWidth, most),
                          static_cast<int>(kJobPixels * 2 / 3 * scale_));
    if (height != jobPixels_) {
        jobPixels_ = height;
        // The static takes the new font before the old one is deleted.
        win32::ScopedFont font = ShellFont(height, true);
        SendMessageW(Control(IDC_JOB), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
        jobFont_ = std::move(font);
    }
}

void StationWindow::Abandon() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void StationWindow::Begin(Batch& batch, StationEvents& events, WorkerThread& thread) {
    batch_ = &batch;
    Begun(events, thread);
}

void StationWindow::BeginAudit(AuditTurns& audit, StationEvents& events, WorkerThread& thread) {
    audit_ = &audit;
    Begun(events, thread);
}

int StationWindow::ExitCode() const {
    return audit_ != nullptr ? audit_->ExitCode() : batch_->ExitCode();
}

void StationWindow::Begun(StationEvents& events, WorkerThread& thread) {
    events_ = &events;
    thread_ = &thread;
    state_.begun = true;
    ShowBanner();
    ShowCounters();
    EnableWindow(Control(IDC_STOP), TRUE);
    SetTimer(window_, kRateTimer, kRateTimerMs, nullptr);
}

void StationWindow::Apply(const StationEvent& event) {
    switch (event.kind) {
        case StationEventKind::ChipPort:
            tiles_.TileFor(event.port, event.map);
            break;
        case StationEventKind::PortLeft: {
            // A result stays until its board is unplugged; a board pulled mid-turn keeps its
            // tile working until the turn's outcome is known.
            TileView* tile = tiles_.Find(event.port);
            if (tile != nullptr && tile->Content().look != TileLook::Working) {
                tile->Show(WaitingTile(Words()));
            }
            break;
        }
        case StationEventKind::Phase:
            ApplyPhase(event);
            break;
        case StationEventKind::Taken:
            if (!state_.serialsWaiting.empty()) {
                state_.serialsWaiting.clear();
                ShowBanner();
            }
            next_ = LaterOf(next_, event.next);
            SetText(Control(IDC_NEXT), NextSerialText(Words(), next_));
            if (state_.ledgerLost) {
                ShowOffline();  // one serial fewer left in the lease
            }
            break;
        case StationEventKind::Done:
            ApplyDone(event);
            break;
        case StationEventKind::LeftAlone:
            tiles_.TileFor(event.port, {}).Show(LeftAloneTile(Words()));
            turns_.erase(event.port);
            HoldSessionEnd();
            break;
        case StationEventKind::Stopping:
            state_.stopReason = event.text;
            state_.interrupted = ExitCode() == EXIT_INTERRUPTED;
            ShowStopButton(IDS_BUTTON_STOPPING);
            ShowBanner();
            break;
        case StationEventKind::Ledger:
            state_.ledgerLost = event.text == "lost";
            state_.ledgerCameBack = !state_.ledgerLost;
            ShowOffline();
            break;
        case StationEventKind::Waiting:
            state_.serialsWaiting = event.text;
            ShowBanner();
            break;
        case StationEventKind::Ended:
            ApplyEnded();
            break;
        case StationEventKind::Audited:
            ApplyAudited(event);
            break;
    }
}

void StationWindow::ApplyPhase(const StationEvent& event) {
    tiles_.TileFor(event.port, {}).Show(WorkingTile(Words(), event.phase));
    if (event.phase == ChipPhase::Reading) {
        rate_.BoardStarted(Now());
        turns_.insert(event.port);
        HoldSessionEnd();
    } else {
        serialsUsed_++;
        ShowCounters();
    }
}

void StationWindow::ApplyDone(const StationEvent& event) {
    TileContent content = ResultTile(Words(), event.report);
    tiles_.TileFor(event.port, {}).Show(content);
    rate_.BoardEnded(Now());
    turns_.erase(event.port);
    HoldSessionEnd();
    ShowCounters();
    if (content.look == TileLook::Fail) {
        MessageBeep(MB_ICONHAND);
    }
}

void StationWindow::ApplyAudited(const StationEvent& event) {
    tiles_.TileFor(event.port, {}).Show(event.tile);
    rate_.BoardEnded(Now());
    turns_.erase(event.port);
    HoldSessionEnd();
    ShowCounters();
    if (event.tile.look == TileLook::Fail) {
        MessageBeep(MB_ICONHAND);
    }
}

void StationWindow::ApplyEnded() {
    KillTimer(window_, kRateTimer);
    state_.ended = true;
    int exitCode = ExitCode();
    state_.interrupted = exitCode == EXIT_INTERRUPTED;
    state_.recordLost = exitCode == EXIT_RECORD_FAILED;
    if (state_.recordLost && batch_ != nullptr) {
        state_.recordSummary = batch_->RecordLossSummary();
    }
    ShowCounters();
    bool complete = state_.stopReason && state_.stopReason->empty();
    ShowStopButton(complete ? IDS_BUTTON_COMPLETE : IDS_BUTTON_STOPPED);
    ShowBanner();
    turns_.clear();
    HoldSessionEnd();
    if (state_.closing) {
        DestroyWindow(window_);
    }
}

void StationWindow::AskToStop(bool close) {
    state_.closing = state_.closing || close;
    if (!state_.begun || state_.ended) {
        return;
    }
    state_.stopAsked = true;
    thread_->AskToStop();
    ShowStopButton(IDS_BUTTON_STOPPING);
    ShowBanner();
}

void StationWindow::ShowStopButton(int textId) {
    EnableWindow(Control(IDC_STOP), FALSE);
    SetText(Control(IDC_STOP), Say(textId));
}

void StationWindow::ShowCounters() {
    if (!state_.begun) {
        return;
    }
    std::optional<double> rate = rate_.PerHour(Now());
    SetText(Control(IDC_RATE), rate ? std::to_string(static_cast<int>(*rate + 0.5)) : "-");
    if (audit_ != nullptr) {
        AuditTally audited = audit_->Tally();
        SetText(Control(IDC_VERIFIED), std::to_string(audited.audited));
        SetText(Control(IDC_FAILED), std::to_string(audited.mismatched));
        SetText(Control(IDC_SKIPPED), std::to_string(audited.readFailed));
        SetText(Control(IDC_USED), std::to_string(audited.Boards()));
        return;
    }
    BatchTally tally = batch_->Tally();
    int failed = tally.NotVerifiedAfterWrite() + tally.Count(BatchOutcome::ReadFailed);
    int skipped =
        tally.Count(BatchOutcome::SkippedLocked) + tally.Count(BatchOutcome::SkippedProgrammed);
    SetText(Control(IDC_VERIFIED), std::to_string(tally.Count(BatchOutcome::Verified)));
    SetText(Control(IDC_FAILED), std::to_string(failed));
    SetText(Control(IDC_SKIPPED), std::to_string(skipped));
    SetText(Control(IDC_USED), std::to_string(serialsUsed_));
}

void StationWindow::ShowOffline() {
    // A leasing station names what it goes on with; without a lease the banner says no board
    // starts.
    auto* leasing = start_.journal ? dynamic_cast<SqlLedger*>(start_.ledger.get()) : nullptr;
    state_.leaseLeft.reset();
    if (leasing != nullptr && state_.ledgerLost) {
        state_.leaseLeft = leasing->LeaseLeft();
        state_.offlineSince = OfflineClock(leasing->OfflineSince());
    }
    ShowBanner();
}

void StationWindow::ShowBanner() {
    Banner banner = BannerFor(Words(), state_);
    bannerLook_ = banner.look;
    SetText(Control(IDC_BANNER), banner.text);
    InvalidateRect(Control(IDC_BANNER), nullptr, TRUE);
    RECT bounds;
    GetClientRect(Control(IDC_BANNER), &bounds);
    if (BannerHeight(bounds.right) != bannerHeight_) {
        Layout();
    }
}

// Logging off or shutting Windows down kills the program; while a board's turn is in progress
// that would leave the board half-written. The session's end is held (and says why) until the
// turns in progress have ended.
void StationWindow::HoldSessionEnd() {
    bool hold = !turns_.empty();
    if (hold && !sessionHeld_) {
        sessionHeld_ = ShutdownBlockReasonCreate(
                           window_, WideFromUtf8(Say(IDS_SESSION_HELD)).c_str()) != FALSE;
    } else if (!hold && sessionHeld_) {
        ShutdownBlockReasonDestroy(window_);
        sessionHeld_ = false;
    }
}

// The session may end when no board is being written; otherwise it is refused and the batch
// stops as if the window were closed: no new board starts, and once the boards in progress are
// recorded the window closes and the next attempt to end the session succeeds.
LRESULT StationWindow::OnQueryEndSession() {
    if (turns_.empty()) {
        return TRUE;
    }
    AskToStop(true);
    return FALSE;
}

int StationWindow::TextWidth(HWND control) const {
    std::wstring text = WindowText(control);
    SIZE size = {};
    {
        win32::ScopedGetDC dc(control);
        win32::ScopedSelectObject font(
            dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    // Room for the static's own rounding.
    return size.cx + static_cast<int>(4 * scale_);
}

int StationWindow::BannerHeight(int width) const {
    HWND banner = Control(IDC_BANNER);
    std::wstring text = WindowText(banner);
    int padding = static_cast<int>(kBannerPadding * scale_);
    RECT bounds = {0, 0, std::max(width - 2 * padding, 1), 0};
    {
        win32::ScopedGetDC dc(banner);
        win32::ScopedSelectObject font(dc, bannerFont_.Get());
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds,
                  DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    }
    return bounds.bottom + 2 * padding;
}

void StationWindow::DrawBanner(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, brushes_.Background(bannerLook_));
    std::wstring words = WindowText(item.hwndItem);
    win32::ScopedSelectObject font(item.hDC, bannerFont_.Get());
    SetTextColor(item.hDC, ColoursOf(bannerLook_).text);
    SetBkMode(item.hDC, TRANSPARENT);
    int padding = static_cast<int>(kBannerPadding * scale_);
    RECT bounds = item.rcItem;
    InflateRect(&bounds, -padding, -padding);
    DrawTextW(item.hDC, words.c_str(), static_cast<int>(words.size()), &bounds,
              DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

void StationWindow::OnSize(WPARAM kind) {
    // Laid out once the controls exist, and never for a window shrunk to its icon.
    if (Control(IDC_BANNER) != nullptr && kind != SIZE_MINIMIZED) {
        Layout();
        // Everything moved or took another size: all of it is painted afresh, or a control's
        // old place keeps its old text.
        RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void StationWindow::LimitSize(MINMAXINFO& limits) const {
    RECT frame = {0, 0, static_cast<int>(kMinClientWidth * scale_),
                  static_cast<int>(kMinClientHeight * scale_)};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    limits.ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
}

void StationWindow::OnClose() {
    // Closing means what Ctrl+C means to a batch: the window goes once the boards in progress
    // are recorded.
    if (!state_.begun || state_.ended) {
        DestroyWindow(window_);
    } else {
        AskToStop(true);
    }
}

void StationWindow::TakeEvents() {
    if (events_ == nullptr) {
        return;
    }
    for (const StationEvent& event : events_->Take()) {
        if (window_ == nullptr) {
            break;
        }
        Apply(event);
    }
}

void StationWindow::OnDestroy() {
    KillTimer(window_, kRateTimer);
    if (sessionHeld_) {
        ShutdownBlockReasonDestroy(window_);
        sessionHeld_ = false;
    }
    // A window abandoned before its batch began leaves the program's loop alone: the set-up
    // form may come back.
    if (state_.begun) {
        PostQuitMessage(0);
    }
}

LRESULT StationWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            OnSize(wParam);
            return 0;
        case WM_GETMINMAXINFO:
            LimitSize(*reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_STOP && HIWORD(wParam) == BN_CLICKED &&
                IsWindowEnabled(Control(IDC_STOP))) {
                AskToStop(false);
            }
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_QUERYENDSESSION:
            return OnQueryEndSession();
        case WM_STATION_EVENTS:
            TakeEvents();
            return 0;
        case WM_TIMER:
            ShowCounters();
            return 0;
        case WM_MOUSEWHEEL:
            return SendMessageW(tiles_.Window(), message, wParam, lParam);
        case WM_CTLCOLORSTATIC: {
            auto dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (item->CtlID == IDC_BANNER) {
                DrawBanner(*item);
                return TRUE;
            }
            break;
        }
        case WM_DESTROY:
            OnDestroy();
            return 0;
    }
    return Default(message, wParam, lParam);
}
