// zq61prog batch against the simulated chips, boards plugged and unplugged through the stand-in
// driver: serials in sequence and never twice, the log, and every way a chip can turn out.
#include <cstdlib>
#include <functional>

#include "calendar_date.h"
#include "log_csv.h"
#include "prog_harness.h"

namespace {

struct Row {
    std::string port, serial, outcome;
};

class Batch : public ProgTest {
protected:
    void SetUp() override {
        ProgTest::SetUp();
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        logPath = std::wstring(folder) + L"zq61prog-batch-test.csv";
        DeleteFileW(logPath.c_str());
    }

    std::vector<std::wstring> Args(const wchar_t* serialFrom, const wchar_t* count) {
        return {L"batch", L"--serial-from", serialFrom, L"--log", logPath, L"--count", count};
    }

    // The log's records, read as the batch reads them.
    std::vector<Row> Log(const std::wstring& path) {
        std::vector<Row> rows;
        Result<LogContents> contents = DecodeLog(ReadWhole(path));
        for (const LedgerEntry& entry : contents ? contents->entries : std::vector<LedgerEntry>()) {
            rows.push_back({entry.port, entry.serial, OutcomeWord(entry.outcome)});
        }
        return rows;
    }
    std::vector<Row> Log() { return Log(logPath); }
    bool LogHasIn(const std::wstring& path, const std::string& port, const std::string& outcome) {
        for (DWORD waited = 0; waited < 10000; waited += 50) {
            for (const Row& row : Log(path)) {
                if (row.port == port && row.outcome == outcome) {
                    return true;
                }
            }
            Sleep(50);
        }
        return false;
    }
    bool LogHas(const std::string& port, const std::string& outcome) {
        return LogHasIn(logPath, port, outcome);
    }
    // The serial each chip port was written with, in the order the log started them.
    std::vector<std::string> Started() {
        std::vector<std::string> serials;
        for (const Row& row : Log()) {
            if (row.outcome == "started") {
                serials.push_back(row.port + " " + row.serial);
            }
        }
        return serials;
    }
    std::string SerialOn(const char* port) {
        std::vector<uint8_t> memory = sim.Memory(port);
        return std::string(memory.begin() + 0x10, memory.begin() + 0x18);
    }
    void Write(const std::wstring& path, const std::string& text) {
        HANDLE file =
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    // A log whose earlier batch used these serials.
    void LogUsed(const std::vector<std::string>& serials) {
        std::string text = "time,port,serial,vid,pid,product,lock,outcome,status\r\n";
        for (const std::string& serial : serials) {
            text += "2026-12-07T08:00:00.000Z,COM9," + serial + ",2E1B,6C04,x,no,started,\r\n";
        }
        Write(logPath, text);
    }
    // This week's {YY}{WW}, as the program reads it from the clock.
    static std::string ThisWeek() {
        CalendarDate today = DateAt(std::chrono::system_clock::now(), 0);
        char text[8];
        std::snprintf(text, sizeof(text), "%02d%02u", today.isoYear % 100, today.isoWeek);
        return text;
    }
    // A board unplugged before the batch starts, plugged in later.
    void Unplug(const char* port) { ASSERT_TRUE(sim.Remove(port)); }
    void Plug(const char* port) { ASSERT_TRUE(sim.Restore(port)); }

    std::wstring logPath;
};

TEST_F(Batch, ChipsArrivingOneAfterAnotherGetSerialsInTurn) {
    Unplug(kChipA);
    Unplug(kChipB);
    ProgProcess batch(Args(L"ZQ000009", L"2"));
    Sleep(500);
    Plug(kChipB);
    ASSERT_TRUE(LogHas(kChipB, "verified"));
    Plug(kChipA);
    ProgResult result = batch.Wait();
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(Started(), (std::vector<std::string>{"COM22 ZQ000009", "COM21 ZQ000010"}));
    EXPECT_EQ(SerialOn(kChipB), "ZQ000009");
    EXPECT_EQ(SerialOn(kChipA), "ZQ000010") << "the width is kept";
    std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 3u) << result.out;
    EXPECT_EQ(lines[0].substr(0, 40), "COM22    ZQ000009   verified            ");
    EXPECT_EQ(lines[2].substr(0, 29), "summary: verified 2, unverifi");
    std::vector<std::string> log = Lines(ReadWhole(logPath));
    EXPECT_EQ(log[0], "\xEF\xBB\xBFtime,port,serial,vid,pid,product,lock,outcome,status,job")
        << "a byte order mark first, so a spreadsheet reads the log as UTF-8";
    ASSERT_GE(log.size(), 2u);
    EXPECT_TRUE(log[1][10] == 'T' && log[1][19] == '.' && log[1][23] == 'Z') << log[1];
    EXPECT_EQ(log[1].substr(25), "COM22,ZQ000009,2E1B,6C04,usb2.0 serial,no,started,,");
}

TEST_F(Batch, TwoChipsAtOnceGetDistinctSerialsAndBothVerify) {
    ProgResult result = RunProg(Args(L"ZQ000001", L"2"));
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    std::set<std::string> serials = {SerialOn(kChipA), SerialOn(kChipB)};
    EXPECT_EQ(serials, (std::set<std::string>{"ZQ000001", "ZQ000002"}));
    EXPECT_EQ(Log().size(), 4u);
}

TEST_F(Batch, AResumedBatchContinuesAfterTheLogsHighestSerial) {
    Unplug(kChipB);
    std::string header = "time,port,serial,vid,pid,product,lock,outcome,status\r\n";
    std::string used = "2026-12-07T08:00:00.000Z,COM9,ZQ000041,2E1B,6C04,x,no,started,\r\n";
    HANDLE file =
        CreateFileW(logPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    std::string text = header + used;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);

    ProgResult result = RunProg(Args(L"ZQ000001", L"1"));
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_NE(result.err.find("resuming after ZQ000041"), std::string::npos) << result.err;
    EXPECT_EQ(SerialOn(kChipA), "ZQ000042");
}

TEST_F(Batch, AChipGoingMuteMidWriteUsesItsSerialAndTheNextChipGetsTheNext) {
    Unplug(kChipB);
    ASSERT_TRUE(sim.MuteAfter(kChipA, 52 + 20));  // the first read, then 20 write frames
    ProgProcess batch(Args(L"ZQ000001", L"1"));
    ASSERT_TRUE(LogHas(kChipA, "failed"));
    Plug(kChipB);
    ProgResult result = batch.Wait();
    EXPECT_EQ(result.exitCode, 3u) << "a programmed chip did not verify";
    EXPECT_EQ(Started(), (std::vector<std::string>{"COM21 ZQ000001", "COM22 ZQ000002"}));
    EXPECT_EQ(SerialOn(kChipB), "ZQ000002");
}

TEST_F(Batch, AKilledBatchNeverHandsOutItsInFlightSerialAgain) {
    Unplug(kChipB);
    ASSERT_TRUE(sim.SetDelay(kChipA, 20000));  // about two seconds a write
    {
        ProgProcess batch(Args(L"ZQ000001", L"1"));
        ASSERT_TRUE(LogHas(kChipA, "started"));
        Sleep(300);
        batch.Kill();
        // Killed in the middle of the write: the serial's line went out before its frames did.
        EXPECT_LT(Frames(kChipA, ZQSIM_LOG_WRITE), 51u);
    }
    ASSERT_TRUE(sim.SetDelay(kChipA, 0));
    ProgResult result = RunProg(Args(L"ZQ000001", L"1"));
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(Started(), (std::vector<std::string>{"COM21 ZQ000001", "COM21 ZQ000002"}));
    EXPECT_EQ(SerialOn(kChipA), "ZQ000002");
}

TEST_F(Batch, ABoardPluggedTwiceIsSkippedAndALockedOneUsesNoSerial) {
    ASSERT_TRUE(sim.SetMemory(kChipB, 0, IdentityImage(0x1111, 0x2222, "OLD00001", u"x", true)));
    Unplug(kChipA);
    ChipsReady();
    ProgProcess batch(Args(L"ZQ000001", L"2"));
    ASSERT_TRUE(LogHas(kChipB, "skipped-locked"));
    Plug(kChipA);
    ASSERT_TRUE(LogHas(kChipA, "verified"));
    Unplug(kChipA);
    Sleep(300);
    Plug(kChipA);
    ASSERT_TRUE(LogHas(kChipA, "skipped-programmed"));
    ProgResult early = batch.Wait(500);  // --count 2 is not reached: still running, killed
    EXPECT_EQ(early.exitCode, 99u);
    EXPECT_EQ(Started(), (std::vector<std::string>{"COM21 ZQ000001"}));
    EXPECT_EQ(SerialOn(kChipB), "OLD00001");
}

TEST_F(Batch, WithPortsNamedOtherChipPortsGetNoFrame) {
    ChipsReady();
    std::vector<std::wstring> args = Args(L"ZQ000001", L"1");
    args.insert(args.end(), {L"--ports", L"com22,COM9"});
    ProgResult result = RunProg(args);
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(Started(), (std::vector<std::string>{"COM22 ZQ000001"}));
    EXPECT_EQ(sim.State(kChipA).opensTotal, 0u) << "a port not named is not even probed";
}

TEST_F(Batch, WhenTheDigitsRunOutTheBatchStops) {
    ProgResult result = RunProg(Args(L"ZQ-9", L"2"));
    EXPECT_EQ(result.exitCode, 3u);
    EXPECT_NE(result.err.find("run out"), std::string::npos) << result.err;
    EXPECT_EQ(Started().size(), 1u) << "ZQ-9 once, never ZQ-10 or ZQ-0";
    ProgResult again = RunProg(Args(L"ZQ-1", L"1"));
    EXPECT_EQ(again.exitCode, 1u) << "the log has used ZQ-9: nothing is left";
}

TEST_F(Batch, NothingIsProgrammedWithoutALog) {
    ChipsReady();
    std::vector<std::wstring> nowhere = {L"batch", L"--serial-from", L"ZQ1", L"--log",
                                         L"Z:\\no\\such\\folder\\log.csv"};
    EXPECT_EQ(RunProg(nowhere).exitCode, 1u);
    HANDLE other =
        CreateFileW(logPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(other, "not a log\r\n", 11, &written, nullptr);
    CloseHandle(other);
    ProgResult foreign = RunProg(Args(L"ZQ1", L"1"));
    EXPECT_EQ(foreign.exitCode, 1u);
    EXPECT_NE(foreign.err.find("not a batch log"), std::string::npos) << foreign.err;
    EXPECT_EQ(RunProg(Args(L"ZQ", L"1")).exitCode, 1u) << "no digits to count up";
    EXPECT_EQ(Opens(), 0u);
}

// The log on a volume that fills up in the middle of a shift: the first board's records fit, the
// second board's `started` line does not.
TEST_F(Batch, ALogThatCannotBeWrittenMidBatchStopsItWithExitSixAndWritesNoMore) {
    const char* volume = std::getenv("ZQ_SMALL_VOLUME");  // a tiny tmpfs the test script mounts
    if (volume == nullptr) {
        GTEST_SKIP() << "ZQ_SMALL_VOLUME is not set: no small volume to fill";
    }
    std::string folder(volume);
    std::wstring log(folder.begin(), folder.end());
    std::wstring filler = log + L"\\filler";
    log += L"\\shift.csv";
    DeleteFileW(filler.c_str());
    // A log whose last page has room for 200 bytes: chip A's two records (168 bytes) fit.
    std::string text = "\xEF\xBB\xBFtime,port,serial,vid,pid,product,lock,outcome,status\r\n";
    std::string padding = "2026-12-07T08:00:00.000Z,COM9,,2E1B,6C04,p,no,read-failed,";
    text += padding + std::string(4096 - 200 - text.size() - padding.size() - 2, 'x') + "\r\n";
    HANDLE file = CreateFileW(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    CloseHandle(file);
    // Then every other page of the volume is taken.
    file = CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string page(4096, 'f');
    while (WriteFile(file, page.data(), 4096, &written, nullptr) && written == 4096) {
    }
    CloseHandle(file);

    Unplug(kChipB);
    ChipsReady();
    ProgProcess batch({L"batch", L"--serial-from", L"ZQ000001", L"--log", log, L"--count", L"2"});
    ASSERT_TRUE(LogHasIn(log, kChipA, "verified"));
    Plug(kChipB);
    ProgResult result = batch.Wait();
    EXPECT_EQ(result.exitCode, 6u) << result.err;
    EXPECT_NE(result.err.find("The last serial on record: ZQ000001"), std::string::npos)
        << result.err;
    EXPECT_EQ(SerialOn(kChipA), "ZQ000001");
    EXPECT_EQ(Frames(kChipB, ZQSIM_LOG_WRITE), 0u) << "a serial not on record is never written";
    DeleteFileW(filler.c_str());
    DeleteFileW(log.c_str());
}

TEST_F(Batch, AFormatBatchResumesInThisWeekAndWaitsWhenTheWeeksSerialsRunOut) {
    std::string week = ThisWeek();
    LogUsed({"ZQ" + week + "05", "ZQ" + week + "03", "ZQ0001"});
    Unplug(kChipB);
    std::vector<std::wstring> args = {
        L"batch", L"--serial-format", L"ZQ{YY}{WW}{N:2}", L"--log", logPath, L"--count", L"1"};
    ProgResult result = RunProg(args);
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    std::string next = "ZQ" + week + "06";
    EXPECT_NE(result.err.find("resuming after ZQ" + week + "05"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("batch from " + next + " \u2026 99 per week"), std::string::npos)
        << result.err;
    EXPECT_EQ(SerialOn(kChipA), next);

    // Nine a week, all used: the board waits on its port and is not written.
    LogUsed({"ZQX" + week + "9"});
    size_t writesBefore = Frames(kChipA, ZQSIM_LOG_WRITE);
    ProgProcess waiting({L"batch", L"--serial-format", L"ZQX{YY}{WW}{N:1}", L"--log", logPath});
    std::string err;
    for (int i = 0; i < 200 && err.find("until the next week") == std::string::npos; i++) {
        Sleep(50);
        err = waiting.ErrSoFar();
    }
    EXPECT_NE(err.find("have run out (9 per week, the last ZQX" + week +
                       "9): no board starts until the next week"),
              std::string::npos)
        << err;
    waiting.Kill();
    EXPECT_EQ(Frames(kChipA, ZQSIM_LOG_WRITE), writesBefore);
    EXPECT_EQ(Started(), (std::vector<std::string>{"COM9 ZQX" + week + "9"})) << "none taken";
}

TEST_F(Batch, AListBatchGoesOnWithTheFirstUnusedSerialAndStopsWhenTheListIsUsedUp) {
    std::wstring listPath = logPath + L".list.csv";
    Write(listPath, "\xEF\xBB\xBFSerial,Board\r\nL0000001,main\r\nL0000002,main\r\n");
    LogUsed({"L0000001"});
    std::vector<std::wstring> args = {L"batch", L"--serial-list", listPath, L"--log",
                                      logPath,  L"--count",       L"2"};
    ProgResult result = RunProg(args);
    EXPECT_EQ(result.exitCode, 3u) << "one serial left for two boards";
    EXPECT_NE(result.err.find("every serial of the list (2 in the list) is used"),
              std::string::npos)
        << result.err;
    std::vector<std::string> started = Started();
    ASSERT_EQ(started.size(), 2u);
    EXPECT_EQ(started[1].substr(6), "L0000002");
    EXPECT_EQ(SerialOn(started[1].substr(0, 5).c_str()), "L0000002");

    ProgResult again = RunProg(args);
    EXPECT_EQ(again.exitCode, 1u) << "used up before it starts";

    // A serial twice in the list: refused whole, naming both lines, before a port is opened.
    Write(listPath, "L1\nL2\nL1\n");
    ProgResult twice = RunProg(args);
    EXPECT_EQ(twice.exitCode, 1u);
    EXPECT_NE(twice.err.find(": \"L1\" is on line 1 and again on line 3"), std::string::npos)
        << twice.err;
    DeleteFileW(listPath.c_str());
}

TEST_F(Batch, SerialsPreviewsWhatABatchWouldTakeAndTouchesNothing) {
    LogUsed({"SN000002", "SN000001"});
    ProgResult result = RunProg({L"serials", L"--serial-from", L"SN000001", L"--log", logPath,
                                 L"--count", L"2", L"--json"});
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(Lines(result.out), (std::vector<std::string>{
                                     "{\"serial\":\"SN000003\"}", "{\"serial\":\"SN000004\"}",
                                     "{\"capacity\":\"999999 in all\",\"after\":\"SN000002\"}"}));
    EXPECT_EQ(Log().size(), 2u) << "the log is only read";
    std::wstring none = logPath + L".none.csv";
    ProgResult fresh = RunProg({L"serials", L"--serial-format", L"{YY}{WW}X{A:3}", L"--log", none});
    EXPECT_EQ(fresh.exitCode, 0u) << fresh.err;
    EXPECT_EQ(Lines(fresh.out).size(), 6u) << fresh.out;
    EXPECT_EQ(Lines(fresh.out)[0], ThisWeek() + "X001");
    EXPECT_EQ(GetFileAttributesW(none.c_str()), INVALID_FILE_ATTRIBUTES) << "no log made";
    EXPECT_EQ(Opens(), 0u);
}

}  // namespace
