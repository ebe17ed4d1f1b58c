// A batch's stop from the console: Ctrl+C and Ctrl+Break, and also the console window's close,
// the user's logoff and the system's shutdown, ask the batch to stop instead of killing it, so
// the chips in progress finish and are recorded.
#pragma once

#include <windows.h>

#include <memory>

#include "session_end.h"

// Handles the console's events, and the session's end through a hidden window, while a batch
// runs, from its start to its end (summary included); a close, logoff or shutdown that came
// meanwhile is held until the guard ends.
class BreakGuard {
public:
    BreakGuard();
    ~BreakGuard();
    BreakGuard(const BreakGuard&) = delete;
    BreakGuard& operator=(const BreakGuard&) = delete;

    // Where logoff and shutdown arrive when the process has loaded user32; null without one.
    HWND SessionWindow() const { return session_->Window(); }

private:
    std::unique_ptr<SessionEndWindow> session_;
};

// True once any of those events came during the guard.
bool BreakRequested();

// The handler the guard installs, as the system calls it (on a thread of its own), for tests.
BOOL WINAPI OnConsoleEvent(DWORD event);
