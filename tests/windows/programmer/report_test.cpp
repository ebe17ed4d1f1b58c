// zq61prog report and trace on a station's log: the exe's JSON is the report core's for the same
// records, a serial's story is in time order, a serial not on record exits 7, and a time that
// is not exact is refused before anything is read.
#include "line_report.h"
#include "log_csv.h"
#include "prog_harness.h"
#include "report_json.h"
#include "../report/shift_records.h"

namespace {

class Report : public ProgTest {
protected:
    void SetUp() override {
        ProgTest::SetUp();
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        logPath = std::wstring(folder) + L"zq61prog-report.csv";
        log = LogStart();
        for (const LedgerEntry& record : report_test::ShiftRecords()) {
            log += EncodeLogLine(record);
        }
        HANDLE file =
            CreateFileW(logPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, log.data(), static_cast<DWORD>(log.size()), &written, nullptr);
        CloseHandle(file);
    }
    void TearDown() override {
        DeleteFileW(logPath.c_str());
        ProgTest::TearDown();
    }

    std::wstring logPath;
    std::string log;
};

TEST_F(Report, TheExesReportIsTheCoresAndATraceIsInTimeOrder) {
    ProgResult report = RunProg({L"report", L"--log", logPath, L"--from", L"2026-12-07T11:00Z",
                                 L"--to", L"2026-12-07T12:00Z", L"--json"});
    ASSERT_EQ(report.exitCode, 0u) << report.out << report.err;
    const ReportRange range{ParseOptionTime("2026-12-07T11:00Z"),
                            ParseOptionTime("2026-12-07T12:00Z")};
    const LineReport expected =
        ReportOfRecords(DecodeLog(log)->entries, ReportPeriod::Hour, range, "zq61prog-report.csv");
    nlohmann::json json = Json(report);
    EXPECT_EQ(json["periods"].dump(),
              nlohmann::json::parse(ReportJson(expected, {}).dump())["periods"].dump());
    EXPECT_EQ(json["reprint"].dump(), "[\"ZQ000003\"]");
    EXPECT_EQ(json["unverified_serials"].dump(), "[\"ZQ000102\"]");

    ProgResult trace = RunProg({L"trace", L"--serial", L"ZQ000101", L"--log", logPath});
    EXPECT_EQ(trace.exitCode, 0u) << trace.err;
    const std::vector<std::string> lines = Lines(trace.out);
    ASSERT_EQ(lines.size(), 4u) << trace.out;
    EXPECT_NE(lines[3].find("2026-12-07T11:05:00.000Z  zq61prog-report.csv  COM21  "
                            "label-reprinted  torn"),
              std::string::npos)
        << lines[3];
    ProgResult missing = RunProg({L"trace", L"--serial", L"ZQ999999", L"--log", logPath});
    EXPECT_EQ(missing.exitCode, 7u) << missing.out << missing.err;
    ProgResult loose = RunProg({L"report", L"--log", logPath, L"--from", L"2026-12-07T11:00"});
    EXPECT_EQ(loose.exitCode, 1u);
    EXPECT_NE(loose.err.find("--from: \"2026-12-07T11:00\" is not a UTC time"), std::string::npos)
        << loose.err;
    EXPECT_EQ(Opens(), 0u);
}

}  // namespace
