// The station in audit mode: every board is read, never written, and its tile says whether it
// is exactly what its job says.
#include <fstream>

#include "station_harness.h"

namespace {

using AuditStation = StationTest;

TEST_F(AuditStation, AMatchingBoardPassesAndADifferentProductFailsWithOnlyReadFrames) {
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
    StationRun station("--audit --job \"" + jobPath + "\" --count 2");
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(station.WaitForTile(kChipA, L"PASS"));
    ASSERT_TRUE(station.WaitForTile(kChipB, L"FAIL"));
    std::string header = Utf8(station.Text(IDC_JOB));
    size_t job = header.find("job ");
    ASSERT_EQ(header.rfind("AUDIT against job ", 0), 0u) << header;
    EXPECT_EQ(Utf8(station.TileText(kChipA, IDC_TILE_DETAIL)),
              "matches job " + header.substr(job + 4, 8));
    EXPECT_EQ(Utf8(station.TileText(kChipA, IDC_TILE_MAIN)), "A1");
    std::string differs = Utf8(station.TileText(kChipB, IDC_TILE_DETAIL));
    EXPECT_NE(differs.find("product differs"), std::string::npos) << differs;
    EXPECT_TRUE(WaitUntil([&] { return station.Text(IDC_STOP) == L"Complete"; }, 5000));
    EXPECT_EQ(station.Text(IDC_VERIFIED), L"1");
    EXPECT_EQ(station.Text(IDC_FAILED), L"1");
    for (const char* port : {kChipA, kChipB}) {
        EXPECT_GT(Frames(port, ZQSIM_LOG_READ), 0u) << port;
        EXPECT_EQ(Frames(port, ZQSIM_LOG_WRITE) + Frames(port, ZQSIM_LOG_LOCKED), 0u) << port;
    }
    EXPECT_EQ(station.Close(), 7u) << "a board that differs: as audit --watch gives it";
    DeleteFileA(jobPath.c_str());
}

}  // namespace
