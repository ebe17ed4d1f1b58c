// The report's figures from a ledger whose records span hours and stations (their times made by
// the test): grouped by the database over the timestamps, they are the figures the report core
// gives for the same records, and the views agree with them.
#include "server_fixture.h"

#include "column_number.h"
#include "ledger_questions.h"
#include "record_times.h"
#include "report_outcomes.h"
#include "../report/shift_records.h"

namespace {

using namespace sql_test;
using namespace report_test;

class LedgerReportTest : public SqlLedgerTest {
protected:
    // The shift's records, each recorded by its station's own ledger.
    SequenceDefinition RecordShift() {
        const SequenceDefinition sequence = Define();
        auto a = Open(sequence, "st-a"), b = Open(sequence, "st-b");
        for (const LedgerEntry& record : ShiftRecords()) {
            EXPECT_TRUE((record.station == "st-a" ? a : b)->Record(record).Ok());
        }
        return sequence;
    }

    std::string FiguresOf(const std::string& sequence, ReportPeriod period,
                          const ReportRange& range = {}) {
        const auto report = PeriodReport(connection_, sequence, period, range);
        EXPECT_TRUE(report.Ok()) << ErrorOf(report);
        return report ? Figures(*report) : "";
    }
};

TEST_P(LedgerReportTest, TheDatabaseGroupsTheRecordsAsTheReportCoreDoes) {
    const SequenceDefinition sequence = RecordShift();
    EXPECT_EQ(FiguresOf(sequence.name, ReportPeriod::Hour), kWholeByHour);
    EXPECT_EQ(FiguresOf(sequence.name, ReportPeriod::Day), kWholeByDay);
    const ReportRange eleven{ParseOptionTime("2026-12-07T11:00Z"),
                             ParseOptionTime("2026-12-07T12:00Z")};
    EXPECT_EQ(FiguresOf(sequence.name, ReportPeriod::Hour, eleven), kElevenToNoon);
    EXPECT_EQ(FiguresOf(sequence.name, ReportPeriod::Hour,
                        {ParseOptionTime("2026-12-07T10:59:59Z"), eleven.from}),
              kLastSecondBeforeEleven);
    // The ledger's own records of the same sequence, reported by the core, say the same.
    const auto exported = Export(connection_, sequence.name);
    ASSERT_TRUE(exported.Ok());
    EXPECT_EQ(Figures(ReportOfRecords(*exported, ReportPeriod::Hour, eleven, "")), kElevenToNoon);

    // A serial's story in time order, across both stations.
    const auto trace = TraceSerial(connection_, sequence.name, "ZQ000101");
    ASSERT_TRUE(trace.Ok()) << ErrorOf(trace);
    std::string story;
    for (const LedgerEntry& record : *trace) {
        story += record.station + " " + OutcomeWord(record.outcome) + "; ";
    }
    EXPECT_EQ(story, "st-b started; st-b verified; st-b label-failed; st-b label-reprinted; ");
    EXPECT_TRUE(TraceSerial(connection_, sequence.name, "ZQ999999")->empty());
}

TEST_P(LedgerReportTest, TheViewsHoldEveryRecordAtItsTimeAndTheHoursCounts) {
    const SequenceDefinition sequence = RecordShift();
    odbc::Session session;
    ASSERT_TRUE(session.Connect(connection_, 5));
    const odbc::Engine engine = session.DatabaseEngine();
    // Every record's timestamp is its text's time, to the millisecond.
    const odbc::Answer stamped = session.Run(
        layout::SpellTimestamp("SELECT COUNT(*) FROM zq_outcomes WHERE sequence_name = ? AND "
                               "serial = 'ZQ000101' AND outcome = 'started' AND recorded_ts = {ts}",
                               engine),
        {sequence.name, std::string("2026-12-07 10:59:59.999")});
    ASSERT_TRUE(stamped.Ok()) << stamped.Err().message;
    EXPECT_EQ(NumberAt(stamped), 1);
    std::string hours;
    const odbc::Answer hourly = session.Run(
        "SELECT " + layout::PeriodText(engine, "hour_start") +
            ", station, started, verified, label_failed, label_reprinted FROM zq_hourly WHERE "
            "sequence_name = ? ORDER BY hour_start, station",
        {sequence.name});
    ASSERT_TRUE(hourly.Ok()) << hourly.Err().message;
    for (const odbc::Row& row : hourly->rows) {
        for (const auto& column : row) {
            hours += column.value_or("NULL") + " ";
        }
        hours += "; ";
    }
    EXPECT_EQ(hours,
              "2026-12-07T10:00Z st-a 2 1 0 0 ; 2026-12-07T10:00Z st-b 1 1 1 0 ; "
              "2026-12-07T11:00Z st-a 1 1 1 0 ; 2026-12-07T11:00Z st-b 1 0 0 1 ; "
              "2026-12-07T12:00Z st-b 1 0 0 0 ; 2026-12-08T09:00Z st-a 1 1 0 0 ; ");
}

INSTANTIATE_TEST_SUITE_P(Servers, LedgerReportTest, kServers, ServerName);

}  // namespace
