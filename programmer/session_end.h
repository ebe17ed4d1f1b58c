// Logoff and shutdown for a batch in a process that has loaded user32 (itself, or through a
// system DLL such as odbc32): Windows tells such a process through its top-level windows, not
// its console handler. A hidden window hears them while the batch runs: the batch is asked to
// stop, Windows is given the reason the session waits, and the end is held until the boards
// being written are recorded.
#pragma once

#include <windows.h>

#include <functional>
#include <thread>

class SessionEndWindow {
public:
    // stop asks the batch to stop; ended is signalled once the batch has ended.
    SessionEndWindow(std::function<void()> stop, HANDLE ended);
    ~SessionEndWindow();
    SessionEndWindow(const SessionEndWindow&) = delete;
    SessionEndWindow& operator=(const SessionEndWindow&) = delete;

    // The hidden window, or null when none could be made (then only the console handler hears
    // of the session's end).
    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(HANDLE made);

    std::function<void()> stop_;
    HANDLE ended_;
    HWND window_ = nullptr;
    std::thread thread_;
};
