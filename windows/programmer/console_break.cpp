#include "console_break.h"

#include <atomic>

#include "scoped_win.h"

namespace {

std::atomic<bool> breakRequested{false};
// Signalled when the batch has ended: a held close, logoff or shutdown may go on then.
win32::AutoCloseHandle batchEnded;

}  // namespace

BreakGuard::BreakGuard() {
    breakRequested = false;
    batchEnded.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
    session_ = std::make_unique<SessionEndWindow>([] { breakRequested = true; }, batchEnded.Get());
}

BreakGuard::~BreakGuard() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    // Released before the window closes: its thread may be holding the session's end.
    SetEvent(batchEnded.Get());
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            // The batch polls for it between arrivals; returning keeps the process alive.
            breakRequested = true;
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // Once this handler returns, Windows ends the process, and it ends it anyway after
            // a few seconds (about five): holding here until the batch has ended lets the
            // boards being written finish and be recorded within that time instead of being
            // cut off mid-write. Windows delivers logoff and shutdown this way only to a
            // process that has loaded neither user32 nor gdi32; a process that has (odbc32 loads
            // user32 on Windows, and the batch loads it for its session window) hears of them
            // through its windows instead (SessionEndWindow).
            breakRequested = true;
            WaitForSingleObject(batchEnded.Get(), INFINITE);
            return TRUE;
        default:
            return FALSE;
    }
}

bool BreakRequested() {
    return breakRequested;
}
