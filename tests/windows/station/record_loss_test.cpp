// A record that cannot be written stops the batch and the window says how far the record
// reaches, never a silent stop. The log sits on a volume that fills up in the middle of a shift:
// the first board's records fit, the second board's `started` line does not.
#include <cstdlib>

#include "station_harness.h"

namespace {

using RecordLoss = StationTest;

bool WriteWhole(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool whole = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                 written == text.size();
    CloseHandle(file);
    return whole;
}

TEST_F(RecordLoss, TheWindowSaysTheLastSerialOnRecordAndNoBoardIsWrittenAfter) {
    const char* volume = std::getenv("ZQ_SMALL_VOLUME");  // a tiny tmpfs the test script mounts
    if (volume == nullptr) {
        GTEST_SKIP() << "ZQ_SMALL_VOLUME is not set: no small volume to fill";
    }
    std::string folder(volume);
    std::wstring log = std::wstring(folder.begin(), folder.end()) + L"\\station.csv";
    std::wstring filler = std::wstring(folder.begin(), folder.end()) + L"\\filler";
    DeleteFileW(filler.c_str());
    // A log whose last page has room for 200 bytes: board A's two records (168 bytes) fit.
    std::string text = "\xEF\xBB\xBFtime,port,serial,vid,pid,product,lock,outcome,status\r\n";
    std::string padding = "2026-12-07T08:00:00.000Z,COM9,,2E1B,6C04,p,no,read-failed,";
    text += padding + std::string(4096 - 200 - text.size() - padding.size() - 2, 'x') + "\r\n";
    ASSERT_TRUE(WriteWhole(log, text));
    HANDLE file = CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string page(4096, 'f');
    DWORD written = 0;
    while (WriteFile(file, page.data(), 4096, &written, nullptr) && written == 4096) {
    }
    CloseHandle(file);

    ASSERT_TRUE(sim.Remove(kChipB));
    ChipsReady();
    StationRun station("--serial-from ZQ000001 --count 2 --log \"" + Utf8(log) + "\"");
    ASSERT_NE(station.WaitForWindow(), nullptr);
    ASSERT_TRUE(station.WaitForTile(kChipA, L"PASS"));
    ASSERT_TRUE(sim.Restore(kChipB));
    ASSERT_TRUE(station.WaitForTile(kChipB, L"STOPPED"));
    EXPECT_TRUE(WaitUntil([&] { return station.Text(IDC_STOP) == L"Stopped"; }, 5000));
    EXPECT_EQ(station.Text(IDC_BANNER),
              L"The batch's record could not be written: it stopped; chips in progress "
              L"finished. The last serial on record: ZQ000001.");
    EXPECT_EQ(Frames(kChipB, ZQSIM_LOG_WRITE), 0u) << "a serial not on record is never written";
    EXPECT_EQ(station.Close(), 6u);
    DeleteFileW(filler.c_str());
    DeleteFileW(log.c_str());
}

}  // namespace
