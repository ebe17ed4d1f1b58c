// The report's figures from a station's records: per period and station, yield, failures,
// labels to reprint, serials without a verified outcome; the range's edges; the strict times.
#include <gtest/gtest.h>

#include "line_report.h"
#include "log_csv.h"
#include "report_json.h"
#include "shift_records.h"

namespace {

using namespace report_test;

ReportRange Range(const char* from, const char* to) {
    return {from ? ParseOptionTime(from) : std::nullopt, to ? ParseOptionTime(to) : std::nullopt};
}

TEST(LineReport, FiguresPerPeriodAndStationOverTheWholeRecordAndARange) {
    const auto records = ShiftRecords();
    EXPECT_EQ(Figures(ReportOfRecords(records, ReportPeriod::Hour, {}, "")), kWholeByHour);
    EXPECT_EQ(Figures(ReportOfRecords(records, ReportPeriod::Day, {}, "")), kWholeByDay);
    // --from holds 11:00:00.000 itself, --to leaves 12:00 out; a millisecond before the hour is
    // not in it.
    EXPECT_EQ(Figures(ReportOfRecords(records, ReportPeriod::Hour,
                                      Range("2026-12-07T11:00Z", "2026-12-07T12:00Z"), "")),
              kElevenToNoon);
    EXPECT_EQ(Figures(ReportOfRecords(records, ReportPeriod::Hour,
                                      Range("2026-12-07T10:59:59Z", "2026-12-07T11:00Z"), "")),
              kLastSecondBeforeEleven);
    EXPECT_EQ(Figures(ReportOfRecords(records, ReportPeriod::Hour,
                                      Range("2026-12-07T12:10:01Z", "2026-12-07T12:10:01Z"), "")),
              "| failures: | reprint: | unverified:");
}

TEST(LineReport, ALogReportsAsItsOneStationAndItsJsonSpellsTheLogsWords) {
    std::string log = LogStart();
    for (LedgerEntry record : ShiftRecords()) {
        if (record.station == "st-b") {
            record.station.clear();
            log += EncodeLogLine(record);
        }
    }
    const Result<LogContents> contents = DecodeLog(log);
    ASSERT_TRUE(contents.Ok());
    const LineReport report =
        ReportOfRecords(contents->entries, ReportPeriod::Hour, {}, "shift.csv");
    ASSERT_EQ(report.periods.size(), 3u);
    const nlohmann::ordered_json json = ReportJson(report, {"the log shift.csv"});
    EXPECT_EQ(json["periods"][0].dump(),
              "{\"station\":\"shift.csv\",\"period\":\"2026-12-07T10:00Z\",\"started\":1,"
              "\"verified\":1,\"unverified\":0,\"locked\":0,\"failed\":0,\"read-failed\":0,"
              "\"skipped-locked\":0,\"skipped-programmed\":0,\"audited\":0,\"audit-mismatch\":0,"
              "\"labelled\":0,\"label-failed\":1,\"label-reprinted\":0,\"yield\":1.0}");
    EXPECT_TRUE(json["periods"][1]["yield"] == 0.0);
    EXPECT_EQ(json["reprint"].dump(), "[]");
    EXPECT_EQ(json["unverified_serials"].dump(), "[\"ZQ000102\",\"ZQ000103\"]");
    EXPECT_EQ(json["failures"][0].dump(), "{\"status\":\"no answer\",\"count\":1}");
}

TEST(LineReport, YieldIsNullWhenNothingStarted) {
    EXPECT_FALSE(YieldOf({{BatchOutcome::Verified, 2}}));
    EXPECT_DOUBLE_EQ(*YieldOf({{BatchOutcome::Started, 4}, {BatchOutcome::Verified, 3}}), 0.75);
}

TEST(ReportTime, OptionsAreUtcToTheMinuteOrSecondAndNothingElse) {
    EXPECT_EQ(ParseOptionTime("2026-12-07T11:00Z"), ParseOptionTime("2026-12-07T11:00:00Z"));
    EXPECT_EQ(MinuteStamp(*ParseOptionTime("2028-02-29T23:59Z")), "2028-02-29T23:59Z");
    EXPECT_EQ(SqlStamp(*ParseOptionTime("2026-12-07T11:00:30Z")), "2026-12-07 11:00:30.000");
    for (const char* bad : {"2026-12-07T11:00", "2026-12-07 11:00Z", "2026-12-07T11Z",
                            "2026-12-07T11:00:00.5Z", "2026-12-07T11:00+08:00", "2026-12-07t11:00z",
                            "2027-02-29T11:00Z", "2026-12-07T24:00Z", "2026-12-07T11:60Z",
                            "2026-12-07T11:00:60Z", "2026-12-7T11:00Z", "", " 2026-12-07T11:00Z"}) {
        EXPECT_FALSE(ParseOptionTime(bad)) << bad;
    }
    EXPECT_EQ(ParseRecordTime("2026-12-07T10:59:59.999Z"),
              *ParseOptionTime("2026-12-07T11:00Z") - 1);
    EXPECT_EQ(ParseRecordTime("2026-12-07T10:59:59.9Z"),
              *ParseOptionTime("2026-12-07T11:00Z") - 100);
    EXPECT_FALSE(ParseRecordTime("2026-12-07T10:59:59.9999Z"));
}

}  // namespace
