// capture, write --job and audit against the simulated chips: a golden board captured, another
// written from its job, audits that match and that do not, and never a frame but reads.
#include <algorithm>

#include "log_csv.h"
#include "prog_harness.h"
#include "scoped_win.h"

namespace {

class Audit : public ProgTest {
protected:
    void SetUp() override {
        ProgTest::SetUp();
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        jobPath = std::wstring(folder) + L"zq61prog-audit-job.json";
        logPath = std::wstring(folder) + L"zq61prog-audit-log.csv";
        DeleteFileW(jobPath.c_str());
        DeleteFileW(logPath.c_str());
    }

    // Every frame of an audit a read: the chip's write and lock counts stay where they were.
    ProgResult AuditOnly(const std::vector<std::wstring>& args, const char* port) {
        size_t writes = Frames(port, ZQSIM_LOG_WRITE) + Frames(port, ZQSIM_LOG_LOCKED);
        size_t reads = Frames(port, ZQSIM_LOG_READ);
        ProgResult result = RunProg(args);
        EXPECT_EQ(Frames(port, ZQSIM_LOG_WRITE) + Frames(port, ZQSIM_LOG_LOCKED), writes)
            << "an audit sent a frame that was not a read";
        EXPECT_GT(Frames(port, ZQSIM_LOG_READ), reads);
        return result;
    }

    std::wstring jobPath;
    std::wstring logPath;
};

TEST_F(Audit, ACapturedJobWritesABoardThatAuditsAndOneChangedByteDiffers) {
    ASSERT_TRUE(
        sim.SetMemory(kChipA, 0, IdentityImage(0x0A5C, 0xBEEF, "SN000001", u"Bench Board")));
    ChipsReady();
    ProgResult captured = RunProg({L"capture", L"--port", L"COM21", L"--out", jobPath, L"--json"});
    ASSERT_EQ(captured.exitCode, 0u) << captured.out << captured.err;
    std::string job = ReadWhole(jobPath);
    EXPECT_EQ(job.find("SN000001"), std::string::npos) << "a board's serial is never a job's";
    std::string id = Json(captured)["job"];
    ProgResult again = RunProg({L"capture", L"--port", L"COM21", L"--out", jobPath});
    EXPECT_EQ(again.exitCode, 1u);
    EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
    EXPECT_EQ(ReadWhole(jobPath), job);

    ProgResult beside =
        RunProg({L"write", L"--port", L"COM22", L"--job", jobPath, L"--product", L"X"});
    EXPECT_EQ(beside.exitCode, 1u);
    EXPECT_NE(beside.err.find("--product: the job file names the product"), std::string::npos)
        << beside.err;

    ProgResult written = RunProg({L"write", L"--port", L"COM22", L"--job", jobPath, L"--json"});
    ASSERT_EQ(written.exitCode, 0u) << written.out << written.err;
    EXPECT_EQ(Json(written)["job"], id);
    EXPECT_EQ(sim.Memory(kChipB), IdentityImage(0x0A5C, 0xBEEF, "", u"Bench Board"));

    ProgResult same = AuditOnly({L"audit", L"--port", L"COM22", L"--job", jobPath}, kChipB);
    EXPECT_EQ(same.exitCode, 0u) << same.out << same.err;
    EXPECT_NE(same.out.find("COM22: audited against job " + id), std::string::npos) << same.out;

    // "Bench Board" -> "Bench Baard": the product's "oard" found in the chip's memory.
    std::vector<uint8_t> memory = sim.Memory(kChipB);
    const uint8_t oard[] = {'o', 0, 'a', 0, 'r', 0, 'd', 0};
    auto at = std::search(memory.begin(), memory.end(), std::begin(oard), std::end(oard));
    ASSERT_NE(at, memory.end());
    ASSERT_TRUE(sim.SetMemory(kChipB, static_cast<unsigned>(at - memory.begin()), {'a'}));
    ProgResult changed =
        AuditOnly({L"audit", L"--port", L"COM22", L"--job", jobPath, L"--json"}, kChipB);
    EXPECT_EQ(changed.exitCode, 7u) << changed.out << changed.err;
    EXPECT_EQ(Json(changed)["outcome"], "audit-mismatch");
    EXPECT_EQ(Json(changed)["status"],
              "product differs: \"Bench Board\" in the job, \"Bench Baard\" on the chip");
}

TEST_F(Audit, ABoardTheLogNeverSawDiffersAndNothingIsRecorded) {
    LedgerEntry seen;
    seen.time = "2026-12-08T09:14:33.123Z";
    seen.port = "COM21";
    seen.serial = "ZQ000001";
    seen.vid = "0A5C";
    seen.pid = "BEEF";
    seen.product = "Bench Board";
    seen.outcome = BatchOutcome::Verified;
    std::string log = LogStart() + EncodeLogLine(seen);
    HANDLE file =
        CreateFileW(logPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, log.data(), static_cast<DWORD>(log.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_TRUE(
        sim.SetMemory(kChipA, 0, IdentityImage(0x0A5C, 0xBEEF, "ZQ000001", u"Bench Board")));
    ASSERT_TRUE(
        sim.SetMemory(kChipB, 0, IdentityImage(0x0A5C, 0xBEEF, "ZQ000002", u"Bench Board")));
    ChipsReady();

    ProgResult seenBoard = AuditOnly({L"audit", L"--port", L"COM21", L"--log", logPath}, kChipA);
    EXPECT_EQ(seenBoard.exitCode, 0u) << seenBoard.out << seenBoard.err;
    ProgResult unseen = AuditOnly({L"audit", L"--port", L"COM22", L"--log", logPath}, kChipB);
    EXPECT_EQ(unseen.exitCode, 7u) << unseen.out << unseen.err;
    EXPECT_NE(unseen.out.find("COM22: audit-mismatch against log"), std::string::npos)
        << unseen.out;
    EXPECT_NE(unseen.out.find("ZQ000002, not on record"), std::string::npos) << unseen.out;
    EXPECT_EQ(ReadWhole(logPath), log) << "an audit against a log records nothing";
}

// A batch run from a job: the job's id on its start line, in every JSON result and on every line
// of its log; a board it programmed then audits against that log.
TEST_F(Audit, ABatchFromAJobCarriesItsIdAndItsBoardAuditsAgainstTheLog) {
    ASSERT_TRUE(
        sim.SetMemory(kChipA, 0, IdentityImage(0x0A5C, 0xBEEF, "SN000001", u"Bench Board")));
    ChipsReady();
    ProgResult captured = RunProg({L"capture", L"--port", L"COM21", L"--out", jobPath,
                                   L"--serial-from", L"ZQ000001", L"--json"});
    ASSERT_EQ(captured.exitCode, 0u) << captured.out << captured.err;
    std::string id = Json(captured)["job"];
    ProgResult beside =
        RunProg({L"batch", L"--job", jobPath, L"--log", logPath, L"--serial-from", L"ZQ000001"});
    EXPECT_EQ(beside.exitCode, 1u);
    EXPECT_NE(beside.err.find("--serial-from: the job file names the serials"), std::string::npos)
        << beside.err;

    ProgResult batch = RunProg({L"batch", L"--job", jobPath, L"--log", logPath, L"--ports",
                                L"COM22", L"--count", L"1", L"--json"});
    ASSERT_EQ(batch.exitCode, 0u) << batch.out << batch.err;
    EXPECT_NE(batch.err.find("job " + id), std::string::npos) << batch.err;
    EXPECT_EQ(nlohmann::json::parse(Lines(batch.out).at(0))["job"], id) << batch.out;
    Result<LogContents> log = DecodeLog(ReadWhole(logPath));
    ASSERT_TRUE(log);
    ASSERT_EQ(log->entries.size(), 2u);
    for (const LedgerEntry& entry : log->entries) {
        EXPECT_EQ(entry.job, id) << entry.serial << " " << OutcomeWord(entry.outcome);
    }
    EXPECT_EQ(sim.Memory(kChipB), IdentityImage(0x0A5C, 0xBEEF, "ZQ000001", u"Bench Board"));
    ProgResult audit = AuditOnly({L"audit", L"--port", L"COM22", L"--log", logPath}, kChipB);
    EXPECT_EQ(audit.exitCode, 0u) << audit.out << audit.err;
}

void WriteWhole(const std::wstring& path, const std::string& bytes) {
    win32::AutoCloseHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// A list captured into a job in the same folder: the job names it so that --job run from another
// folder reads that very file, and the job's id changes with the list's bytes.
TEST_F(Audit, ACapturedJobReadsItsListFromAnotherFolderAndItsIdFollowsTheList) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root = std::wstring(temp) + L"zq61prog-capture";
    const std::wstring jobs = root + L"\\jobs";
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(jobs.c_str(), nullptr);
    WriteWhole(jobs + L"\\b.csv", "Serial,Note\r\nZQ000001,\"rev\r\nB\"\r\nZQ000002,x\r\n");
    ASSERT_TRUE(
        sim.SetMemory(kChipA, 0, IdentityImage(0x0A5C, 0xBEEF, "SN000001", u"Bench Board")));
    ChipsReady();
    // The test's own folder back on every way out, a failed assertion's too.
    struct Back {
        wchar_t folder[MAX_PATH] = {};
        Back() { GetCurrentDirectoryW(MAX_PATH, folder); }
        ~Back() { SetCurrentDirectoryW(folder); }
    } back;
    SetCurrentDirectoryW(root.c_str());
    ProgResult captured = RunProg({L"capture", L"--port", L"COM21", L"--out", L"jobs\\b.json",
                                   L"--serial-list", L"jobs\\b.csv", L"--json"});
    SetCurrentDirectoryW(temp);  // another folder from here on
    ASSERT_EQ(captured.exitCode, 0u) << captured.out << captured.err;
    EXPECT_NE(ReadWhole(jobs + L"\\b.json").find(R"("serial-list": "b.csv")"), std::string::npos);
    const std::string id = Json(captured)["job"];
    const std::wstring job = jobs + L"\\b.json";
    ProgResult written = RunProg(
        {L"write", L"--port", L"COM22", L"--job", job, L"--serial", L"ZQ000002", L"--json"});
    EXPECT_EQ(written.exitCode, 0u) << written.out << written.err;
    EXPECT_EQ(Json(written)["job"], id) << written.out;

    WriteWhole(jobs + L"\\b.csv", "ZQ000001\r\nZQ000002\r\nZQ000003\r\n");
    ProgResult changed = RunProg(
        {L"write", L"--port", L"COM22", L"--job", job, L"--serial", L"ZQ000003", L"--json"});
    EXPECT_EQ(changed.exitCode, 0u) << changed.out << changed.err;
    EXPECT_NE(Json(changed)["job"], id) << "a job whose list changed is another job";
    DeleteFileW((jobs + L"\\b.json").c_str());
    DeleteFileW((jobs + L"\\b.csv").c_str());
    RemoveDirectoryW(jobs.c_str());
    RemoveDirectoryW(root.c_str());
}

// An audit station: every board present is audited on a worker of its own, none written; the
// summary counts both verdicts and the exit code is the mismatch's. Its ports are named in
// another case than the port map's, as Windows lets an operator type them.
TEST_F(Audit, TheWatchAuditsEveryBoardThatAppearsUntilItsCount) {
    const std::string job =
        R"({"vid": "0A5C", "pid": "BEEF", "product": "Bench Board", "lock": false})";
    {
        win32::AutoCloseHandle file(
            CreateFileW(jobPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(
            WriteFile(file.Get(), job.data(), static_cast<DWORD>(job.size()), &written, nullptr));
    }
    ASSERT_TRUE(sim.SetMemory(kChipA, 0, IdentityImage(0x0A5C, 0xBEEF, "A1", u"Bench Board")));
    ASSERT_TRUE(sim.SetMemory(kChipB, 0, IdentityImage(0x0A5C, 0xBEEF, "B2", u"Bench Bard")));
    ChipsReady();
    ProgResult watch = RunProg(
        {L"audit", L"--watch", L"--job", jobPath, L"--ports", L"com21,Com22", L"--count", L"2"});
    EXPECT_EQ(watch.exitCode, 7u) << watch.out << watch.err;
    EXPECT_NE(watch.out.find("COM21: audited against job"), std::string::npos) << watch.out;
    EXPECT_NE(watch.out.find("COM22: audit-mismatch against job"), std::string::npos) << watch.out;
    EXPECT_NE(watch.out.find("summary: audited 1, audit-mismatch 1, read-failed 0"),
              std::string::npos)
        << watch.out;
    EXPECT_EQ(Frames(kChipA, ZQSIM_LOG_WRITE) + Frames(kChipB, ZQSIM_LOG_WRITE), 0u);
}

}  // namespace
