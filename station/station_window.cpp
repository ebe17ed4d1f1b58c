#include "station_window.h"

#include <algorithm>
#include <chrono>

#include "batch_workers.h"
#include "exit_codes.h"
#include "record_text.h"
#include "station_ids.h"
#include "utf_text.h"
#include "wide.h"

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

constexpr const char* kCounterLabels[] = {"verified", "failed", "skipped", "serials used",
                                          "boards per hour"};
constexpr int kCounterIds[] = {IDC_VERIFIED, IDC_FAILED, IDC_SKIPPED, IDC_USED, IDC_RATE};

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The core's messages are written for a console line; the banner shows them as sentences.
std::string Sentence(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    }
    if (!text.empty() && text.back() != '.') {
        text += '.';
    }
    return text;
}

// Only a text that changed is set: each setting repaints its control.
void SetText(HWND control, const std::string& text) {
    std::wstring wide = Wide(text);
    if (WindowText(control) != wide) {
        SetWindowTextW(control, wide.c_str());
    }
}

// What every board gets, read at a glance: the fields apart, the lock spelt out.
std::string JobText(const ChipIdentity& identity) {
    std::string product = identity.product ? Utf16ToUtf8(*identity.product).value_or("?") : "";
    return "VID " + HexId(identity.vendorId) + "    PID " + HexId(identity.productId) +
           "    product \"" + product + "\"    " +
           (identity.lock ? "LOCKED for ever" : "not locked");
}

}  // namespace

void StationWindow::Register(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_STATION));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = STATION_WINDOW_CLASS;
    RegisterClassExW(&windowClass);
    TileArea::Register(instance);
}

StationWindow::StationWindow(const BatchStart& start) : start_(start) {
    scale_ = DisplayScale();
    auto scaled = [&](int pixels) { return static_cast<int>(pixels * scale_); };
    headerFont_.Reset(ShellFont(scaled(16), false));
    figureFont_.Reset(ShellFont(scaled(34), true));
    labelFont_.Reset(ShellFont(scaled(14), false));
    bannerFont_.Reset(ShellFont(scaled(17), true));
    buttonFont_.Reset(ShellFont(scaled(20), true));

    // As large as asked for, but never larger than the screen's work area.
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame = {0, 0, scaled(kClientWidth), scaled(kClientHeight)};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    int width = std::min<int>(frame.right - frame.left, work.right - work.left);
    int height = std::min<int>(frame.bottom - frame.top, work.bottom - work.top);
    int x = work.left + (work.right - work.left - width) / 2;
    int y = work.top + (work.bottom - work.top - height) / 2;
    std::string title = "ZQ61 station - " + start.recordName;
    CreateWindowExW(0, STATION_WINDOW_CLASS, Wide(title).c_str(), style, x, y, width, height,
                    nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (window_ == nullptr) {
        return;
    }
    MakeControls();
    if (start.settings.identity.lock) {
        SetBanner("Confirm the lock to start: every board of this batch is locked for ever.",
                  BannerLook::Warn);
    } else {
        SetBanner("Starting.", BannerLook::Info);
    }
    Layout();
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
}

StationWindow::~StationWindow() {
    Join();
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void StationWindow::MakeControls() {
    auto make = [&](const wchar_t* className, int id, DWORD style, HFONT font) {
        HWND control =
            CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    };
    SetText(make(L"STATIC", IDC_JOB, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, jobFont_.Get()),
            JobText(start_.settings.identity));
    SetText(make(L"STATIC", IDC_RECORD, SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, headerFont_.Get()),
            start_.recordName);
    HWND station =
        make(L"STATIC", IDC_STATION, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, headerFont_.Get());
    if (start_.settings.station.empty()) {
        ShowWindow(station, SW_HIDE);
    } else {
        SetText(station, "station " + start_.settings.station);
    }
    make(L"STATIC", IDC_NEXT, SS_LEFT | SS_NOPREFIX, headerFont_.Get());
    ShowNext(start_.ledger->NextSerial());
    for (size_t i = 0; i < std::size(kCounterIds); i++) {
        // Nothing counted yet; boards per hour has no figure until a board has ended.
        SetText(make(L"STATIC", kCounterIds[i], SS_CENTER | SS_NOPREFIX, figureFont_.Get()),
                kCounterIds[i] == IDC_RATE ? "-" : "0");
        SetText(make(L"STATIC", IDC_COUNTER_LABEL + static_cast<int>(i), SS_CENTER | SS_NOPREFIX,
                     labelFont_.Get()),
                kCounterLabels[i]);
    }
    // Drawn by the window: its colour says how the batch stands, with padding around the words.
    make(L"STATIC", IDC_BANNER, SS_OWNERDRAW, bannerFont_.Get());
    HWND stop = make(L"BUTTON", IDC_STOP, BS_PUSHBUTTON | WS_TABSTOP, buttonFont_.Get());
    SetWindowTextW(stop, L"Stop");
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
    int buttonWidth = scaled(150);
    int buttonHeight = scaled(56);
    place(IDC_STOP, width - margin - buttonWidth, margin, buttonWidth, buttonHeight);

    int textWidth = width - 3 * margin - buttonWidth;
    // The job in type as large as fits its line, down to a size still read at a step away.
    int jobHeight =
        std::max(FittingHeight(WindowText(Control(IDC_JOB)).c_str(), textWidth, scaled(kJobPixels)),
                 scaled(kJobPixels * 2 / 3));
    if (jobHeight != jobPixels_) {
        jobPixels_ = jobHeight;
        // The static takes the new font before the old one is deleted.
        HFONT font = ShellFont(jobHeight, true);
        SendMessageW(Control(IDC_JOB), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        jobFont_.Reset(font);
    }
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

    int top = margin + buttonHeight + margin / 2;
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

void StationWindow::Abandon() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

void StationWindow::Begin(Batch& batch, StationEvents& events) {
    batch_ = &batch;
    events_ = &events;
    std::string waiting = "Waiting for boards: plug a board into any port.";
    if (!start_.resumedAfter.empty()) {
        waiting = "Resuming after " + start_.resumedAfter +
                  ", the highest serial the log has used. " + waiting;
    }
    SetBanner(waiting, BannerLook::Info);
    ShowCounters();
    EnableWindow(Control(IDC_STOP), TRUE);
    SetTimer(window_, kRateTimer, kRateTimerMs, nullptr);

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
    worker_ = std::thread([this, &batch, &events, ports] {
        RunBatchWorkers(
            batch, events.Wake(), [this] { return stopAsked_.load(); }, ports);
        events.Push(StationEvent{});  // Ended
    });
}

void StationWindow::Join() {
    if (worker_.joinable()) {
        worker_.join();
    }
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
                tile->Show(WaitingTile());
            }
            break;
        }
        case StationEventKind::Phase:
            tiles_.TileFor(event.port, {}).Show(WorkingTile(event.phase));
            if (event.phase == ChipPhase::Reading) {
                rate_.BoardStarted(Now());
            } else {
                serialsUsed_++;
                ShowNext(event.nextSerial);
                ShowCounters();
            }
            break;
        case StationEventKind::Done: {
            TileContent content = ResultTile(event.report);
            tiles_.TileFor(event.port, {}).Show(content);
            rate_.BoardEnded(Now());
            ShowCounters();
            if (content.look == TileLook::Fail) {
                MessageBeep(MB_ICONHAND);
            }
            break;
        }
        case StationEventKind::LeftAlone:
            tiles_.TileFor(event.port, {}).Show(LeftAloneTile());
            break;
        case StationEventKind::Stopping:
            ShowStopping(event.text);
            break;
        case StationEventKind::Ledger:
            if (event.text == "lost") {
                SetBanner("The ledger's connection is lost: no board starts until it is back.",
                          BannerLook::Fault);
            } else {
                SetBanner("The ledger is back: boards start again.", BannerLook::Info);
            }
            break;
        case StationEventKind::Ended:
            ended_ = true;
            ShowEnded();
            if (closing_) {
                DestroyWindow(window_);
            }
            break;
    }
}

void StationWindow::AskToStop(bool close) {
    closing_ = closing_ || close;
    if (batch_ == nullptr || ended_) {
        return;
    }
    if (!stopAsked_.exchange(true)) {
        SetEvent(events_->Wake());
    }
    EnableWindow(Control(IDC_STOP), FALSE);
    SetWindowTextW(Control(IDC_STOP), L"Stopping");
    if (bannerLook_ != BannerLook::Fault) {
        SetBanner(std::string(closing_ ? "Closing" : "Stopping") +
                      ": no new board starts; the boards in progress finish and are recorded "
                      "first.",
                  BannerLook::Warn);
    }
}

void StationWindow::ShowStopping(const std::string& reason) {
    stopReason_ = reason;
    EnableWindow(Control(IDC_STOP), FALSE);
    SetWindowTextW(Control(IDC_STOP), L"Stopping");
    if (reason.empty()) {
        countReached_ = true;
        SetBanner("Complete: " + std::to_string(start_.settings.count) +
                      " boards verified, as many as asked for. No more boards start.",
                  BannerLook::Good);
        return;
    }
    if (batch_->ExitCode() == EXIT_INTERRUPTED) {
        SetBanner(std::string(closing_ ? "Closing" : "Stopping") +
                      ": no new board starts; the boards in progress finish and are recorded "
                      "first.",
                  BannerLook::Warn);
        return;
    }
    SetBanner(Sentence(reason) + " No new board starts.", BannerLook::Fault);
}

void StationWindow::ShowEnded() {
    KillTimer(window_, kRateTimer);
    ShowCounters();
    int exitCode = batch_->ExitCode();
    EnableWindow(Control(IDC_STOP), FALSE);
    SetWindowTextW(Control(IDC_STOP), countReached_ ? L"Complete" : L"Stopped");
    if (exitCode == EXIT_RECORD_FAILED) {
        SetBanner(Sentence(batch_->RecordLossSummary()), BannerLook::Fault);
    } else if (countReached_) {
        SetBanner("The batch is complete: " + std::to_string(start_.settings.count) +
                      " boards verified. No more boards start; close the window to end.",
                  BannerLook::Good);
    } else if (exitCode == EXIT_INTERRUPTED) {
        SetBanner(
            "Stopped: the boards in progress finished and are recorded. Close the window to "
            "end.",
            BannerLook::Warn);
    } else {
        SetBanner(
            Sentence(stopReason_) + " The batch has stopped; the boards in progress finished.",
            BannerLook::Fault);
    }
}

void StationWindow::ShowCounters() {
    if (batch_ == nullptr) {
        return;
    }
    BatchTally tally = batch_->Tally();
    int failed = tally.NotVerifiedAfterWrite() + tally.Count(BatchOutcome::ReadFailed);
    int skipped =
        tally.Count(BatchOutcome::SkippedLocked) + tally.Count(BatchOutcome::SkippedProgrammed);
    std::optional<double> rate = rate_.PerHour(Now());
    SetText(Control(IDC_VERIFIED), std::to_string(tally.Count(BatchOutcome::Verified)));
    SetText(Control(IDC_FAILED), std::to_string(failed));
    SetText(Control(IDC_SKIPPED), std::to_string(skipped));
    SetText(Control(IDC_USED), std::to_string(serialsUsed_));
    SetText(Control(IDC_RATE), rate ? std::to_string(static_cast<int>(*rate + 0.5)) : "-");
}

void StationWindow::ShowNext(const std::string& next) {
    SetText(Control(IDC_NEXT), next.empty() ? "no serial left" : "next serial " + next);
}

void StationWindow::SetBanner(const std::string& text, BannerLook look) {
    bannerLook_ = look;
    SetText(Control(IDC_BANNER), text);
    InvalidateRect(Control(IDC_BANNER), nullptr, TRUE);
    RECT banner;
    GetClientRect(Control(IDC_BANNER), &banner);
    if (BannerHeight(banner.right) != bannerHeight_) {
        Layout();
    }
}

int StationWindow::TextWidth(HWND control) const {
    std::wstring text = WindowText(control);
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    // Room for the static's own rounding.
    return size.cx + static_cast<int>(4 * scale_);
}

int StationWindow::BannerHeight(int width) const {
    HWND banner = Control(IDC_BANNER);
    std::wstring text = WindowText(banner);
    HDC dc = GetDC(banner);
    HGDIOBJ old = SelectObject(dc, bannerFont_.Get());
    int padding = static_cast<int>(kBannerPadding * scale_);
    RECT bounds = {0, 0, std::max(width - 2 * padding, 1), 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds,
              DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(banner, dc);
    return bounds.bottom + 2 * padding;
}

void StationWindow::DrawBanner(const DRAWITEMSTRUCT& item) const {
    COLORREF background = GetSysColor(COLOR_BTNFACE);
    COLORREF text = GetSysColor(COLOR_BTNTEXT);
    switch (bannerLook_) {
        case BannerLook::Info:
            break;
        case BannerLook::Good:
            background = RGB(0x1B, 0x7A, 0x2E);
            text = RGB(0xFF, 0xFF, 0xFF);
            break;
        case BannerLook::Warn:
            background = RGB(0xFF, 0xB3, 0x00);
            text = RGB(0x21, 0x21, 0x21);
            break;
        case BannerLook::Fault:
            background = RGB(0xC6, 0x28, 0x28);
            text = RGB(0xFF, 0xFF, 0xFF);
            break;
    }
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(item.hDC, &item.rcItem, brush);
    DeleteObject(brush);
    std::wstring words = WindowText(item.hwndItem);
    HGDIOBJ old = SelectObject(item.hDC, bannerFont_.Get());
    SetTextColor(item.hDC, text);
    SetBkMode(item.hDC, TRANSPARENT);
    int padding = static_cast<int>(kBannerPadding * scale_);
    RECT bounds = item.rcItem;
    InflateRect(&bounds, -padding, -padding);
    DrawTextW(item.hDC, words.c_str(), static_cast<int>(words.size()), &bounds,
              DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(item.hDC, old);
}

LRESULT CALLBACK StationWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* station =
            static_cast<StationWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        station->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(station));
    }
    auto* station = reinterpret_cast<StationWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (station == nullptr || station->window_ == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return station->Handle(message, wParam, lParam);
}

LRESULT StationWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            // Laid out once the controls exist, and never for a window shrunk to its icon.
            if (Control(IDC_BANNER) != nullptr && wParam != SIZE_MINIMIZED) {
                Layout();
                // Everything moved or took another size: all of it is painted afresh, or a
                // control's old place keeps its old text.
                RedrawWindow(window_, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            }
            return 0;
        case WM_GETMINMAXINFO: {
            RECT frame = {0, 0, static_cast<int>(kMinClientWidth * scale_),
                          static_cast<int>(kMinClientHeight * scale_)};
            AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
            return 0;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_STOP && HIWORD(wParam) == BN_CLICKED &&
                IsWindowEnabled(Control(IDC_STOP))) {
                AskToStop(false);
            }
            return 0;
        case WM_CLOSE:
            // Closing means what Ctrl+C means to a batch: the window goes once the boards in
            // progress are recorded.
            if (batch_ == nullptr || ended_) {
                DestroyWindow(window_);
            } else {
                AskToStop(true);
            }
            return 0;
        case WM_STATION_EVENTS:
            if (events_ != nullptr) {
                for (const StationEvent& event : events_->Take()) {
                    if (window_ == nullptr) {
                        break;
                    }
                    Apply(event);
                }
            }
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
            KillTimer(window_, kRateTimer);
            // A window abandoned before its batch began leaves the program's loop alone: the
            // set-up form may come back.
            if (batch_ != nullptr) {
                PostQuitMessage(0);
            }
            return 0;
        case WM_NCDESTROY: {
            HWND window = window_;
            window_ = nullptr;
            return DefWindowProcW(window, message, wParam, lParam);
        }
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}
