// A long shift must not wear the station out: its GDI objects, window-system objects and kernel
// handles are counted after the first board and after a hundred more, each board plugged,
// programmed and unplugged; none may have grown.
#include <gtest/gtest.h>

#include <cstdio>

#include "process_resources.h"
#include "scoped_win.h"
#include "station_harness.h"

namespace {

using Resources = StationTest;

TEST_F(Resources, AHundredBoardsLeaveNoObjectOrHandleBehind) {
    constexpr int kBoards = 100;
    ASSERT_TRUE(sim.Remove(kChipB));
    StationRun station(Args("ZQ000001", kBoards + 2));  // a count never reached
    ASSERT_NE(station.WaitForWindow(), nullptr);
    win32::AutoCloseHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, station.ProcessId()));
    ASSERT_TRUE(process.Valid());
    ProcessResources first;
    // Board 0 makes what the window keeps (a tile, its fonts, its colours); boards 1 to 100
    // must add nothing to it.
    for (int board = 0; board <= kBoards; board++) {
        ASSERT_TRUE(station.WaitForTile(kChipA, L"PASS")) << "board " << board;
        ASSERT_TRUE(sim.Remove(kChipA));
        ASSERT_TRUE(station.WaitForTile(kChipA, L"WAITING")) << "board " << board;
        if (board == 0) {
            Sleep(200);  // the turn's thread is joined within the workers' next look
            first = CountResources(process.Get(), station.ProcessId());
        }
        if (board < kBoards) {
            ASSERT_TRUE(sim.Reset(kChipA));  // the next board: blank, plugged in
        }
    }
    Sleep(200);
    ProcessResources last = CountResources(process.Get(), station.ProcessId());
    std::printf(
        "after board 1 and board %d: GDI objects %ld -> %ld, USER objects %ld -> %ld, "
        "handles %ld -> %ld\n",
        kBoards + 1, first.gdi, last.gdi, first.user, last.user, first.handles, last.handles);
    ASSERT_GT(first.gdi, 0) << "GDI objects could not be counted";
    ASSERT_GT(first.handles, 0) << "handles could not be counted";
    EXPECT_LE(last.gdi, first.gdi);
    EXPECT_LE(last.user, first.user);
    // The port watch's wait may hold a handle for a moment; a leak grows by the board.
    EXPECT_LE(last.handles, first.handles + 2);
    EXPECT_EQ(station.Text(IDC_VERIFIED), std::to_wstring(kBoards + 1));
    EXPECT_EQ(station.Close(), 130u);
}

}  // namespace
