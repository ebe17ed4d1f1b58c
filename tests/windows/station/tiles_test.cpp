// The station's tiles against what the batch records: a tile per chip port in the map's order,
// PASS with the serial the log holds, FAIL and SKIPPED with why, waiting again once unplugged.
#include <fstream>

#include "log_csv.h"
#include "station_harness.h"

namespace {

using Tiles = StationTest;

RECT Where(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

// A PASS and a FAIL in the language the user's Windows speaks (Chinese here) and in English by
// --lang: the words are the language's, the serials and the counts the same.
class TilesSaid : public StationTest, public testing::WithParamInterface<Lang> {};

TEST_P(TilesSaid, TwoBoardsAtOnceEndAsTwoPassTilesWithTheSerialsTheLogRecords) {
    Lang lang = GetParam();
    StationRun station(Args("ZQ000001", 2) + LangArgs(lang), true);
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(station.WaitForTile(kChipA, Said(lang, L"PASS", L"通过")));
    ASSERT_TRUE(station.WaitForTile(kChipB, Said(lang, L"PASS", L"通过")));
    std::string serialA = Utf8(station.TileText(kChipA, IDC_TILE_MAIN));
    std::string serialB = Utf8(station.TileText(kChipB, IDC_TILE_MAIN));
    EXPECT_EQ(serialA, VerifiedOn(kChipA));
    EXPECT_EQ(serialB, VerifiedOn(kChipB));
    EXPECT_EQ((std::set<std::string>{serialA, serialB}),
              (std::set<std::string>{"ZQ000001", "ZQ000002"}));
    EXPECT_EQ(station.TileText(kChipA, IDC_TILE_ADVICE),
              Said(lang, L"Unplug it, plug the next", L"拔出，插下一块"));
    EXPECT_EQ(station.Tile(kForeign), nullptr) << "another driver's port gets no tile";
    EXPECT_LT(Where(station.Tile(kChipA)).left, Where(station.Tile(kChipB)).left)
        << "the tiles follow the port map's order";
    EXPECT_EQ(station.Text(IDC_VERIFIED), L"2");
    EXPECT_EQ(station.Text(IDC_FAILED), L"0");
    EXPECT_EQ(station.Text(IDC_USED), L"2");
    EXPECT_EQ(station.Text(IDC_COUNTER_LABEL), Said(lang, L"verified", L"已校验"));
    EXPECT_EQ(station.Text(IDC_NEXT),
              Said(lang, L"next serial ZQ000003", L"下一个序列号 ZQ000003"));
    // --count 2 is reached: the window says so and starts no more boards.
    EXPECT_TRUE(WaitUntil(
        [&] { return station.Text(IDC_STOP) == Said(lang, L"Complete", L"已完成"); }, 5000));
    EXPECT_EQ(station.Text(IDC_BANNER),
              Said(lang,
                   L"The batch is complete: 2 boards verified. No more boards start; close the "
                   L"window to end.",
                   L"批次已完成：已校验 2 块板。不再开始新的板子；关闭窗口即可结束。"));
    EXPECT_EQ(station.Close(), 0u);
}

TEST_P(TilesSaid, AMuteChipEndsAsAFailTileAndAFailedRecord) {
    Lang lang = GetParam();
    ASSERT_TRUE(sim.Remove(kChipB));
    ASSERT_TRUE(sim.MuteAfter(kChipA, 52 + 20));  // the first read, then 20 write frames
    StationRun station(Args("ZQ000001", 1) + LangArgs(lang), true);
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(station.WaitForTile(kChipA, Said(lang, L"FAIL", L"失败")));
    EXPECT_EQ(station.TileText(kChipA, IDC_TILE_MAIN), Said(lang, L"failed", L"写入失败"));
    std::wstring detail = station.TileText(kChipA, IDC_TILE_DETAIL);
    EXPECT_NE(detail.find(Said(lang, L" (serial ZQ000001 used)", L"（已用序列号 ZQ000001）")),
              std::wstring::npos)
        << Utf8(detail);
    EXPECT_EQ(station.TileText(kChipA, IDC_TILE_ADVICE),
              Said(lang, L"Set the board aside", L"把此板放到一边"));
    EXPECT_EQ(station.Text(IDC_FAILED), L"1");
    EXPECT_EQ(station.Text(IDC_VERIFIED), L"0");
    std::vector<LogRow> log = Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].serial, "ZQ000001");
    EXPECT_EQ(log[1].outcome, "failed") << "the log's words are data, in every language";
    EXPECT_EQ(station.Close(), 130u) << "closed before its count: as Ctrl+C";
}

INSTANTIATE_TEST_SUITE_P(Languages, TilesSaid,
                         testing::Values(Lang::ChineseUi, Lang::EnglishByOption),
                         [](const testing::TestParamInfo<Lang>& info) {
                             return LangName(info.param);
                         });

TEST_F(Tiles, ALockedBoardIsSkippedWithoutASerial) {
    ASSERT_TRUE(sim.Remove(kChipA));
    ASSERT_TRUE(
        sim.SetMemory(kChipB, 0, ChipImage{0x1111, 0x2222, "OLD00001", u"x", true, true}.Bytes()));
    ChipsReady();
    StationRun station(Args("ZQ000001", 1));
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(station.WaitForTile(kChipB, L"SKIPPED"));
    EXPECT_EQ(station.TileText(kChipB, IDC_TILE_MAIN), L"locked");
    EXPECT_EQ(station.TileText(kChipB, IDC_TILE_DETAIL).find(L"ZQ"), std::wstring::npos);
    EXPECT_EQ(station.Text(IDC_SKIPPED), L"1");
    EXPECT_EQ(station.Text(IDC_USED), L"0");
    std::vector<LogRow> log = Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].outcome, "skipped-locked");
    EXPECT_EQ(log[0].serial, "");
    EXPECT_EQ(station.Close(), 130u);
}

// The result stays until the board is unplugged; the same board plugged back is not given a
// second serial.
TEST_F(Tiles, UnpluggingABoardReturnsItsTileToWaiting) {
    ASSERT_TRUE(sim.Remove(kChipB));
    StationRun station(Args("ZQ000001", 2));
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(station.WaitForTile(kChipA, L"PASS"));
    Sleep(300);
    EXPECT_EQ(station.TileText(kChipA, IDC_TILE_STATE), L"PASS") << "no board has left";
    ASSERT_TRUE(sim.Remove(kChipA));
    ASSERT_TRUE(station.WaitForTile(kChipA, L"WAITING"));
    EXPECT_EQ(station.TileText(kChipA, IDC_TILE_MAIN), L"");
    ASSERT_TRUE(sim.Restore(kChipA));
    ASSERT_TRUE(station.WaitForTile(kChipA, L"SKIPPED"));
    EXPECT_EQ(station.TileText(kChipA, IDC_TILE_DETAIL),
              L"already programmed with serial ZQ000001, verified");
    EXPECT_EQ(station.Text(IDC_USED), L"1");
    EXPECT_EQ(station.Close(), 130u);
}

TEST_F(Tiles, WhenTheSerialsRunOutTheWindowSaysSoAndTheOtherBoardIsLeftAsItWas) {
    StationRun station(Args("ZQ-9", 2));
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return station.Text(IDC_STOP) == L"Stopped"; }, 10000));
    std::set<std::wstring> states = {station.TileText(kChipA, IDC_TILE_STATE),
                                     station.TileText(kChipB, IDC_TILE_STATE)};
    EXPECT_EQ(states, (std::set<std::wstring>{L"PASS", L"STOPPED"}));
    EXPECT_NE(station.Text(IDC_BANNER).find(L"run out"), std::wstring::npos)
        << Utf8(station.Text(IDC_BANNER));
    EXPECT_EQ(station.Text(IDC_NEXT), L"no serial left");
    EXPECT_EQ(station.Close(), 3u);
}

TEST_F(Tiles, APeriodsSerialsUsedUpAreSaidAndNoBoardStartsUntilTheNext) {
    // A format with nine serials a year, eight of them in the log already: one board takes the
    // last, the other waits, and the window says why instead of looking idle.
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    std::string year = std::to_string(now.wYear % 100);
    std::ofstream log(logPath, std::ios::binary);
    log << LogStart();
    for (int n = 1; n <= 8; n++) {
        LedgerEntry entry;
        entry.time = "2026-01-02T08:00:00.000Z";
        entry.port = "COM9";
        entry.serial = "ZQXYZ" + year + std::to_string(n);
        entry.vid = "2E1B";
        entry.pid = "6C04";
        entry.product = "usb2.0 serial";
        entry.outcome = BatchOutcome::Verified;
        log << EncodeLogLine(entry);
    }
    log.close();
    ChipsReady();
    StationRun station("--serial-format ZQXYZ{YY}{N:1} --log \"" + logPath + "\"");
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(WaitUntil(
        [&] { return !VerifiedOn(kChipA).empty() || !VerifiedOn(kChipB).empty(); }, 15000));
    ASSERT_TRUE(WaitUntil(
        [&] { return station.Text(IDC_BANNER).find(L"have run out") != std::wstring::npos; },
        10000))
        << Utf8(station.Text(IDC_BANNER));
    EXPECT_NE(station.Text(IDC_BANNER).find(L"no board starts until the next year"),
              std::wstring::npos)
        << Utf8(station.Text(IDC_BANNER));
    // The one after ZQXYZ..9 is no counter's next: the header does not guess it.
    EXPECT_EQ(station.Text(IDC_NEXT), L"next serial unknown");
    EXPECT_EQ(VerifiedOn(kChipA).empty() + VerifiedOn(kChipB).empty(), 1)
        << "exactly one board got the year's last serial";
    station.Close();
}

}  // namespace
