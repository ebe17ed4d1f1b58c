#include "console_break.h"

#include <atomic>

namespace {

HANDLE breakEvent = nullptr;
std::atomic<bool> breakRequested{false};

BOOL WINAPI OnConsoleBreak(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    breakRequested = true;
    SetEvent(breakEvent);
    return TRUE;
}

}  // namespace

HANDLE BreakEvent() {
    if (breakEvent == nullptr) {
        breakEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
    }
    return breakEvent;
}

bool BreakRequested() {
    return breakRequested;
}
