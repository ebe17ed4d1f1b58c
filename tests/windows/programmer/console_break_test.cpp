// The console's events during a batch, as the system delivers them: on a thread of their own.
// Wine sends no close, logoff or shutdown event, so the handler is called here as Windows would.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "console_break.h"

namespace {

TEST(ConsoleBreak, CtrlCAndCtrlBreakAskTheBatchToStopAndReturnAtOnce) {
    for (DWORD event : {DWORD{CTRL_C_EVENT}, DWORD{CTRL_BREAK_EVENT}}) {
        BreakGuard guard;
        EXPECT_FALSE(BreakRequested()) << "each batch starts without a stop";
        EXPECT_EQ(OnConsoleEvent(event), TRUE) << event;
        EXPECT_TRUE(BreakRequested()) << event;
    }
}

// Windows ends the process as soon as the handler returns: it must hold until the batch ended.
TEST(ConsoleBreak, CloseLogoffAndShutdownStopTheBatchAndAreHeldUntilItEnds) {
    for (DWORD event :
         {DWORD{CTRL_CLOSE_EVENT}, DWORD{CTRL_LOGOFF_EVENT}, DWORD{CTRL_SHUTDOWN_EVENT}}) {
        auto guard = std::make_unique<BreakGuard>();
        std::atomic<bool> returned{false};
        BOOL answer = FALSE;
        std::thread system([&] {
            answer = OnConsoleEvent(event);
            returned = true;
        });
        Sleep(300);
        EXPECT_TRUE(BreakRequested()) << event;
        EXPECT_FALSE(returned) << event << ": returned while the batch still ran";
        guard.reset();  // the batch has ended
        system.join();
        EXPECT_EQ(answer, TRUE) << event;
    }
}

// A process that has loaded user32 hears of logoff and shutdown through its windows instead.
TEST(ConsoleBreak, TheSessionsEndStopsTheBatchAndIsHeldUntilItEnds) {
    auto guard = std::make_unique<BreakGuard>();
    HWND window = guard->SessionWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    EXPECT_TRUE(BreakRequested());
    std::atomic<bool> returned{false};
    std::thread system([&] {
        SendMessageW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        returned = true;
    });
    Sleep(300);
    EXPECT_FALSE(returned) << "the session ended while the batch still ran";
    guard.reset();
    system.join();
    EXPECT_FALSE(IsWindow(window)) << "the window outlived the batch";
}

}  // namespace
