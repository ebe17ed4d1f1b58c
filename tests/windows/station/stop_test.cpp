// Stop and closing the window mean what Ctrl+C means to a batch: no new board starts, a board
// being written finishes and is recorded, and the window says so (closing waits for it).
#include "station_harness.h"

namespace {

class Stopping : public StationTest, public testing::WithParamInterface<bool> {};

TEST_P(Stopping, DuringAWriteTheWriteFinishesAndIsRecorded) {
    bool closeWindow = GetParam();
    ASSERT_TRUE(sim.Remove(kChipB));
    ASSERT_TRUE(sim.SetDelay(kChipA, 15000));  // about two seconds of writing
    StationRun station(Args("ZQ000001", 2));
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(
        WaitUntil([&] { return station.TileText(kChipA, IDC_TILE_MAIN) == L"writing"; }, 10000));
    if (closeWindow) {
        PostMessageW(station.WaitForWindow(), WM_CLOSE, 0, 0);
    } else {
        ASSERT_TRUE(SendClick(station.Control(IDC_STOP)));
    }
    EXPECT_TRUE(WaitUntil(
        [&] { return station.Text(IDC_BANNER).find(L"finish") != std::wstring::npos; }, 3000))
        << Utf8(station.Text(IDC_BANNER));
    ASSERT_TRUE(sim.Restore(kChipB));  // a board plugged now is not started
    if (closeWindow) {
        EXPECT_EQ(station.WaitForExit(), 130u) << "the window waited for the write, then closed";
    } else {
        ASSERT_TRUE(station.WaitForTile(kChipA, L"PASS"));
        EXPECT_TRUE(WaitUntil([&] { return station.Text(IDC_STOP) == L"Stopped"; }, 3000));
        EXPECT_NE(station.Text(IDC_BANNER).find(L"Stopped"), std::wstring::npos)
            << Utf8(station.Text(IDC_BANNER));
        EXPECT_EQ(station.Tile(kChipB), nullptr);
        EXPECT_EQ(station.Close(), 130u);
    }
    EXPECT_EQ(VerifiedOn(kChipA), "ZQ000001");
    EXPECT_EQ(Frames(kChipB, ZQSIM_LOG_WRITE) + Frames(kChipB, ZQSIM_LOG_READ), 0u);
    std::vector<uint8_t> memory = sim.Memory(kChipA);
    EXPECT_EQ(std::string(memory.begin() + 0x10, memory.begin() + 0x18), "ZQ000001");
}

INSTANTIATE_TEST_SUITE_P(StopButtonOrClose, Stopping, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "ClosingTheWindow" : "TheStopButton";
                         });

}  // namespace
