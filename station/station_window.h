// The station's main window: the job in a header, the batch's counters, a line that says what
// the batch is doing (and any fault), a Stop button, and the ports' tiles. It runs the batch's
// workers on a thread of its own and takes their news from the queue on its own thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "batch.h"
#include "batch_start.h"
#include "board_rate.h"
#include "station_events.h"
#include "tile_area.h"
#include "ui_fonts.h"

// The message that tells the window events wait in the queue.
inline constexpr UINT WM_STATION_EVENTS = WM_APP + 1;

class StationWindow {
public:
    static void Register(HINSTANCE instance);

    // Creates and shows the window with the job's header; no batch runs yet.
    explicit StationWindow(const BatchStart& start);
    ~StationWindow();
    StationWindow(const StationWindow&) = delete;
    StationWindow& operator=(const StationWindow&) = delete;

    HWND Window() const { return window_; }
    // Closes the window before a batch has begun (the lock was not confirmed).
    void Abandon();
    // Runs the batch's workers until the batch stops and the window is closed.
    void Begin(Batch& batch, StationEvents& events);
    // Waits for the batch's thread, if one runs; after the message loop.
    void Join();

private:
    enum class BannerLook { Info, Good, Warn, Fault };

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void MakeControls();
    void Layout();
    void Apply(const StationEvent& event);
    void AskToStop(bool close);
    void ShowStopping(const std::string& reason);
    void ShowEnded();
    void ShowCounters();
    void ShowNext(const std::string& next);
    void SetBanner(const std::string& text, BannerLook look);
    int BannerHeight(int width) const;
    void DrawBanner(const DRAWITEMSTRUCT& item) const;
    int TextWidth(HWND control) const;
    HWND Control(int id) const { return GetDlgItem(window_, id); }

    const BatchStart& start_;
    HWND window_ = nullptr;
    double scale_ = 1;
    TileArea tiles_;
    OwnedFont jobFont_, headerFont_, figureFont_, labelFont_, bannerFont_, buttonFont_;
    BannerLook bannerLook_ = BannerLook::Info;
    int bannerHeight_ = 0;
    int jobPixels_ = 0;

    Batch* batch_ = nullptr;
    StationEvents* events_ = nullptr;
    std::thread worker_;
    std::atomic<bool> stopAsked_{false};
    bool closing_ = false;
    bool ended_ = false;
    std::string stopReason_;
    bool countReached_ = false;
    int serialsUsed_ = 0;
    BoardRate rate_;
};
