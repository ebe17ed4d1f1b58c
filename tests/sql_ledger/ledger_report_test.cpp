// The report's figures from a ledger whose records span hours and stations (their times made by
// the test): grouped by the database over the timestamps, they are the figures the report core
// gives for the same records, and the views agree with them.
#include "server_fixture.h"

#include <fstream>

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
    // `ledger report` in one session: over the whole record its totals are added up from the
    // periods, yet they are the sequence report's own; over a range they stay the whole's.
    // A serial verified a second time (at 10:20, outside the hour above) counts once.
    ASSERT_TRUE(Open(sequence, "st-a")
                    ->Record(Record("2026-12-07T10:20:00.000Z", "st-a", "ZQ000001",
                                    BatchOutcome::Verified, "again"))
                    .Ok());
    const auto totals = Report(connection_, sequence.name);
    ASSERT_TRUE(totals.Ok()) << ErrorOf(totals);
    // (Over the whole record its serials never verified are the sequence report's.)
    LineReport whole = PeriodReport(connection_, sequence.name, ReportPeriod::Day, {}).Value();
    whole.unverified = totals->withoutVerified;
    for (const auto& [range, figures] : {std::pair{ReportRange{}, Figures(whole)},
                                         std::pair{eleven, std::string(kElevenToNoon)}}) {
        const auto both =
            ReportSequence(connection_, sequence.name,
                           range.Open() ? ReportPeriod::Day : ReportPeriod::Hour, range);
        ASSERT_TRUE(both.Ok()) << ErrorOf(both);
        EXPECT_EQ(Figures(both->periods), figures);
        EXPECT_EQ(both->totals.records, totals->records);
        ASSERT_EQ(both->totals.stations.size(), totals->stations.size());
        for (size_t i = 0; i < totals->stations.size(); i++) {
            EXPECT_EQ(both->totals.stations[i].station, totals->stations[i].station);
            EXPECT_EQ(both->totals.stations[i].records, totals->stations[i].records);
        }
        EXPECT_EQ(both->totals.withoutVerified, totals->withoutVerified);
        EXPECT_EQ(both->totals.serialsVerified, totals->serialsVerified);
    }
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

// The README's two dashboard panels, over the views, as a factory's Grafana runs them.
const char* kVerifiedPanel =
    "SELECT $__timeGroup(recorded_ts, '1h') AS time, station AS metric, COUNT(*) AS value\n"
    "  FROM zq_outcomes\n"
    " WHERE $__timeFilter(recorded_ts) AND sequence_name = 'line1' AND outcome = 'verified'\n"
    " GROUP BY 1, 2 ORDER BY 1, 2";
const char* kYieldPanel =
    "SELECT $__timeGroup(hour_start, '1h') AS time, station AS metric,\n"
    "       SUM(verified) * 1.0 / NULLIF(SUM(started), 0) AS value\n"
    "  FROM zq_hourly\n"
    " WHERE $__timeFilter(hour_start) AND sequence_name = 'line1'\n"
    " GROUP BY 1, 2 ORDER BY 1, 2";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

// The macros as Grafana expands them for each engine's data source (its MySQL data source's
// session time zone set to +00:00), between two moments given in seconds since 1970.
std::string Expanded(std::string query, odbc::Engine engine, const std::string& sequence,
                     int64_t from, int64_t to) {
    query = Replaced(query, "'line1'", "'" + sequence + "'");
    for (const char* column : {"recorded_ts", "hour_start"}) {
        const std::string c = column;
        if (engine == odbc::Engine::MariaDb) {
            query = Replaced(query, "$__timeGroup(" + c + ", '1h')",
                             "UNIX_TIMESTAMP(" + c + ") DIV 3600 * 3600");
            query = Replaced(query, "$__timeFilter(" + c + ")",
                             c + " BETWEEN FROM_UNIXTIME(" + std::to_string(from) +
                                 ") AND FROM_UNIXTIME(" + std::to_string(to) + ")");
        } else {
            query = Replaced(query, "$__timeGroup(" + c + ", '1h')",
                             "floor(extract(epoch from " + c + ")/3600)*3600");
            query = Replaced(query, "$__timeFilter(" + c + ")",
                             c + " BETWEEN '" + Replaced(MinuteStamp(from * 1000), "Z", ":00Z") +
                                 "' AND '" + Replaced(MinuteStamp(to * 1000), "Z", ":00Z") + "'");
        }
    }
    return query;
}

TEST(DashboardQueries, AreTheOnesTheReadmeShows) {
    std::ifstream readme(ZQ_README, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(readme), {}};
    for (const char* panel : {kVerifiedPanel, kYieldPanel}) {
        EXPECT_NE(text.find(std::string("```\n") + panel + "\n```"), std::string::npos) << panel;
    }
}

TEST_P(LedgerReportTest, TheReadmesDashboardQueriesGiveTheReportsFigures) {
    const SequenceDefinition sequence = RecordShift();
    odbc::Session session;
    ASSERT_TRUE(session.Connect(connection_, 5));
    const odbc::Engine engine = session.DatabaseEngine();
    if (engine == odbc::Engine::MariaDb) {
        ASSERT_TRUE(session.Run("SET time_zone = '+00:00'").Ok());
    }
    // The dashboard's range: 7 December, 10:00 to 11:59:59 (Grafana's filter holds both ends).
    const int64_t from = *ParseOptionTime("2026-12-07T10:00Z") / 1000;
    const int64_t to = *ParseOptionTime("2026-12-07T11:59:59Z") / 1000;
    std::string shown;
    for (const char* panel : {kVerifiedPanel, kYieldPanel}) {
        const odbc::Answer answer = session.Run(Expanded(panel, engine, sequence.name, from, to));
        ASSERT_TRUE(answer.Ok()) << answer.Err().message;
        for (const odbc::Row& row : answer->rows) {
            const int64_t time = NumberIn(row.at(0)).value_or(-1);
            shown += MinuteStamp(time * 1000) + " " + row.at(1).value_or("") + " " +
                     row.at(2).value_or("NULL").substr(0, 4) + "; ";
        }
        shown += "| ";
    }
    EXPECT_EQ(shown,
              "2026-12-07T10:00Z st-a 1; 2026-12-07T10:00Z st-b 1; 2026-12-07T11:00Z st-a 1; | "
              "2026-12-07T10:00Z st-a 0.50; 2026-12-07T10:00Z st-b 1.00; "
              "2026-12-07T11:00Z st-a 1.00; 2026-12-07T11:00Z st-b 0.00; | ");
}

INSTANTIATE_TEST_SUITE_P(Servers, LedgerReportTest, kServers, ServerName);

}  // namespace
