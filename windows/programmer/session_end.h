// Logoff and shutdown for a batch in a process that has loaded user32 (itself, or through a
// system DLL such as odbc32): Windows tells such a process through its top-level windows, not
// its console handler. A hidden window hears them while the batch runs: the batch is asked to
// stop, Windows is given the reason the session waits, and the end is held until the boards
// being written are recorded.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <thread>

#include "scoped_win.h"

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
    struct User32;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(HANDLE made);

    win32::ScopedModule user32Module_;  // first: unloaded only once the window's thread ended
    std::unique_ptr<User32> user32_;
    std::function<void()> stop_;
    HANDLE ended_;
    HWND window_ = nullptr;
    std::thread thread_;
};
