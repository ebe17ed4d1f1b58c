#include "console_break.h"

#include <windows.h>

#include <atomic>

namespace {

std::atomic<bool> breakRequested{false};

BOOL WINAPI OnConsoleBreak(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    breakRequested = true;
    return TRUE;
}

}  // namespace

void InstallBreakHandler() {
    SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
}

bool BreakRequested() {
    return breakRequested;
}
