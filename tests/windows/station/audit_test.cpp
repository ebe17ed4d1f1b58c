// The station in audit mode: every board is read, never written, and its tile says whether it
// is exactly what its job says.
#include <fstream>

#include "station_harness.h"

namespace {

// In the language the user's Windows speaks (Chinese here) and in English by --lang.
class AuditStation : public StationTest, public testing::WithParamInterface<Lang> {};

TEST_P(AuditStation, AMatchingBoardPassesAndADifferentProductFailsWithOnlyReadFrames) {
    Lang lang = GetParam();
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string jobPath = std::string(folder) + "zq61station-audit-job.json";
    std::ofstream(jobPath, std::ios::binary)
        << R"({"vid": "0A5C", "pid": "BEEF", "product": "Bench Board", "lock": false})";
    ASSERT_TRUE(sim.SetMemory(
        kChipA, 0, ChipImage{0x0A5C, 0xBEEF, "A1", u"Bench Board", true, false}.Bytes()));
    ASSERT_TRUE(sim.SetMemory(kChipB, 0,
                              ChipImage{0x0A5C, 0xBEEF, "B2", u"Bench Bard", true, false}.Bytes()));
    ChipsReady();
    StationRun station("--audit --job \"" + jobPath + "\" --count 2" + LangArgs(lang), true);
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(station.WaitForTile(kChipA, Said(lang, L"PASS", L"通过")));
    ASSERT_TRUE(station.WaitForTile(kChipB, Said(lang, L"FAIL", L"失败")));
    std::wstring header = station.Text(IDC_JOB);
    std::wstring lead = Said(lang, L"AUDIT against job ", L"审核：对照 作业 ");
    ASSERT_EQ(header.rfind(lead, 0), 0u) << Utf8(header);
    std::wstring id = header.substr(lead.size(), 8);
    EXPECT_EQ(station.TileText(kChipA, IDC_TILE_DETAIL),
              Said(lang, L"matches job " + id, L"与作业 " + id + L" 一致"));
    EXPECT_EQ(Utf8(station.TileText(kChipA, IDC_TILE_MAIN)), "A1");
    EXPECT_EQ(station.TileText(kChipB, IDC_TILE_MAIN), Said(lang, L"differs", L"不一致"));
    EXPECT_EQ(station.TileText(kChipB, IDC_TILE_DETAIL),
              Said(lang, L"product differs: \"Bench Board\" expected, \"Bench Bard\" found",
                   L"产品字符串不一致：应为 \"Bench Board\"，板上为 \"Bench Bard\""));
    EXPECT_TRUE(WaitUntil(
        [&] { return station.Text(IDC_STOP) == Said(lang, L"Complete", L"已完成"); }, 5000));
    EXPECT_EQ(station.Text(IDC_VERIFIED), L"1");
    EXPECT_EQ(station.Text(IDC_FAILED), L"1");
    for (const char* port : {kChipA, kChipB}) {
        EXPECT_GT(Frames(port, ZQSIM_LOG_READ), 0u) << port;
        EXPECT_EQ(Frames(port, ZQSIM_LOG_WRITE) + Frames(port, ZQSIM_LOG_LOCKED), 0u) << port;
    }
    EXPECT_EQ(station.Close(), 7u) << "a board that differs: as audit --watch gives it";
    DeleteFileA(jobPath.c_str());
}

INSTANTIATE_TEST_SUITE_P(Languages, AuditStation,
                         testing::Values(Lang::ChineseUi, Lang::EnglishByOption),
                         [](const testing::TestParamInfo<Lang>& info) {
                             return LangName(info.param);
                         });

}  // namespace
