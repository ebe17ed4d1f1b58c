#include "ledger_questions.h"

#include <algorithm>
#include <future>
#include <utility>

#include "column_number.h"
#include "ledger_layout.h"
#include "record_hours.h"
#include "record_times.h"
#include "report_outcomes.h"

namespace {

// A report reads many rows: more time per statement than a station's take is given.
const odbc::Limits kReportLimits{3, 60, 5};

Unexpected<LedgerError> Failed(const std::string& what, const odbc::Failure& failure) {
    return LedgerFail(what + ": " + failure.message);
}

// Connects, checks the layout and that the sequence is there.
Result<void, LedgerError> OpenSequence(odbc::Session& session, const std::string& connection,
                                       const std::string& name) {
    if (const auto connected = session.Connect(connection, 10, kReportLimits); !connected) {
        return Failed("could not connect to the ledger's database", connected.Err());
    }
    if (Status checked = layout::CheckLayout(session); !checked) {
        return LedgerFail(checked.Err().message);
    }
    const auto found = layout::FindSequence(session, name);
    if (!found) {
        return Failed("could not read the sequence", found.Err());
    }
    if (!*found) {
        return LedgerFail("the ledger holds no sequence \"" + name + "\"", true);
    }
    return {};
}

// A statement's conditions on the sequence and the range, with their parameters.
struct Where {
    std::string sql;
    std::vector<odbc::Value> parameters;
};

Where InRange(const std::string& sequence, const ReportRange& range, const std::string& alias) {
    Where where{" WHERE " + alias + "sequence_name = ?", {}};
    // Each a string made in place: GCC warns of a copied variant's other member otherwise.
    where.parameters.emplace_back(std::in_place_type<std::string>, sequence);
    if (range.from) {
        where.sql += " AND " + alias + "recorded_ts >= {ts}";
        where.parameters.emplace_back(std::in_place_type<std::string>, SqlStamp(*range.from));
    }
    if (range.to) {
        where.sql += " AND " + alias + "recorded_ts < {ts}";
        where.parameters.emplace_back(std::in_place_type<std::string>, SqlStamp(*range.to));
    }
    return where;
}

std::string Words(bool (*which)(BatchOutcome)) {
    std::string words;
    for (BatchOutcome outcome : kReportedOutcomes) {
        if (which(outcome)) {
            words += std::string(words.empty() ? "'" : ", '") + OutcomeWord(outcome) + "'";
        }
    }
    return "(" + words + ")";
}

bool IsLabelRecord(BatchOutcome outcome) {
    return outcome == BatchOutcome::Labelled || outcome == BatchOutcome::LabelFailed ||
           outcome == BatchOutcome::LabelReprinted;
}

// The four statements of a report, spelled for the engine.
struct ReportQueries {
    std::string periods, failures, reprint, unverified;
};

// The periods: every record's hour, station and outcome counted along the index that holds them
// in that order (layout 5), then the hours added up into days when days are asked for. Over the
// whole record a record without a time counts too, in a group without a period: the sequence's
// totals are added up from these groups.
std::string PeriodsQuery(odbc::Engine engine, bool day, const std::string& where) {
    const std::string hour = layout::RecordHour(engine);
    const std::string hours = "(SELECT " + hour +
                              " AS hour_start, station, outcome, COUNT(*) AS records FROM "
                              "zq_records" +
                              where + " GROUP BY " + hour + ", station, outcome) hours";
    if (!day) {
        return "SELECT station, " + layout::PeriodText(engine, "hour_start") +
               ", outcome, records FROM " + hours;
    }
    const std::string start = layout::PeriodStart(engine, true, "hour_start");
    return "SELECT station, " + layout::PeriodText(engine, start) +
           ", outcome, SUM(records) FROM " + hours + " GROUP BY station, " + start + ", outcome";
}

ReportQueries QueriesFor(odbc::Engine engine, bool day, const std::string& where,
                         const std::string& whereR, const std::string& whereF,
                         const std::string& whereL) {
    ReportQueries queries;
    queries.periods = PeriodsQuery(engine, day, where);
    queries.failures = "SELECT status_text, COUNT(*) FROM zq_outcomes" + where +
                       " AND outcome IN " + Words(IsFailure) + " GROUP BY status_text";
    // From the few label-failed records, each asked whether it is its serial's last label
    // record: not every serial's labels grouped to find the few.
    queries.reprint = "SELECT f.serial FROM zq_records f" + whereF +
                      " AND f.outcome = 'label-failed' AND f.id = (SELECT MAX(l.id) FROM "
                      "zq_records l" +
                      whereL + " AND l.serial = f.serial AND l.outcome IN " + Words(IsLabelRecord) +
                      ")";
    queries.unverified = "SELECT DISTINCT s.serial FROM zq_records s" + whereR +
                         " AND s.outcome = 'started' AND " +
                         layout::NeverVerified(engine, "s.serial");
    for (std::string* query :
         {&queries.periods, &queries.failures, &queries.reprint, &queries.unverified}) {
        *query = layout::SpellTimestamp(*query, engine);
    }
    return queries;
}

void AddToTotals(LedgerReport& totals, const std::string& station, BatchOutcome outcome,
                 uint64_t count) {
    auto at = std::find_if(totals.stations.begin(), totals.stations.end(),
                           [&](const StationCounts& s) { return s.station == station; });
    if (at == totals.stations.end()) {
        at = totals.stations.insert(totals.stations.end(), StationCounts{station, {}});
    }
    at->records[outcome] += count;
    totals.records[outcome] += count;
}

// The periods' rows into the report (a row without a period is a record without a time: in no
// period), and each row's count into the totals when they are asked for.
Status ReadPeriods(const std::vector<odbc::Row>& rows, LineReport& report, LedgerReport* totals) {
    for (const odbc::Row& row : rows) {
        const std::optional<BatchOutcome> outcome = OutcomeFromWord(row.at(2).value_or(""));
        const std::optional<int64_t> count = NumberIn(row.at(3));
        if (!outcome || !count || *count < 0) {
            return Fail("the records hold an unknown outcome \"" + row.at(2).value_or("") + "\"");
        }
        const std::string station = row.at(0).value_or("");
        if (totals != nullptr) {
            AddToTotals(*totals, station, *outcome, static_cast<uint64_t>(*count));
        }
        if (!row.at(1)) {
            continue;
        }
        const std::string& period = *row.at(1);
        if (report.periods.empty() || report.periods.back().station != station ||
            report.periods.back().period != period) {
            report.periods.push_back({station, period, {}});
        }
        report.periods.back().records[*outcome] += static_cast<uint64_t>(*count);
    }
    if (totals != nullptr) {
        // Each engine sorts text by its own collation: the report sorts by bytes.
        std::sort(
            totals->stations.begin(), totals->stations.end(),
            [](const StationCounts& a, const StationCounts& b) { return a.station < b.station; });
    }
    return {};
}

// The report's reads through a session open on the sequence; the totals, when given, get the
// records per station and outcome added up from the periods (the range must then be open).
Result<LineReport, LedgerError> ReadPeriodReport(odbc::Session& session,
                                                 const std::string& sequence, ReportPeriod period,
                                                 const ReportRange& range, bool unverified,
                                                 LedgerReport* totals) {
    const Where where = InRange(sequence, range, ""), whereR = InRange(sequence, range, "s.");
    const Where whereF = InRange(sequence, range, "f."), whereL = InRange(sequence, range, "l.");
    const ReportQueries queries = QueriesFor(session.DatabaseEngine(), period == ReportPeriod::Day,
                                             where.sql, whereR.sql, whereF.sql, whereL.sql);
    odbc::Answer periods = session.Run(queries.periods + " ORDER BY 1, 2", where.parameters);
    odbc::Answer failures = session.Run(queries.failures, where.parameters);
    std::vector<odbc::Value> reprintParameters = whereF.parameters;
    reprintParameters.insert(reprintParameters.end(), whereL.parameters.begin(),
                             whereL.parameters.end());
    odbc::Answer reprint = session.Run(queries.reprint, reprintParameters);
    std::vector<odbc::Value> unverifiedParameters = whereR.parameters;
    unverifiedParameters.push_back(sequence);
    odbc::Answer never = unverified ? session.Run(queries.unverified, unverifiedParameters)
                                    : odbc::Answer(odbc::Rows());
    session.Rollback();
    for (const odbc::Answer* read : {&periods, &failures, &reprint, &never}) {
        if (!*read) {
            return Failed("could not read the records", read->Err());
        }
    }
    LineReport report;
    if (Status read = ReadPeriods(periods->rows, report, totals); !read) {
        return LedgerFail(read.Err().message);
    }
    for (const odbc::Row& row : failures->rows) {
        report.failures.push_back(
            {row.at(0).value_or(""), static_cast<uint64_t>(NumberIn(row.at(1)).value_or(0))});
    }
    for (const odbc::Row& row : reprint->rows) {
        report.reprint.push_back(row.at(0).value_or(""));
    }
    for (const odbc::Row& row : never->rows) {
        report.unverified.push_back(row.at(0).value_or(""));
    }
    // Each engine sorts text by its own collation: the report's order is by bytes.
    SortReport(report);
    return report;
}

}  // namespace

Result<LineReport, LedgerError> PeriodReport(const std::string& connection,
                                             const std::string& sequence, ReportPeriod period,
                                             const ReportRange& range, bool unverified) {
    odbc::Session session;
    if (auto opened = OpenSequence(session, connection, sequence); !opened) {
        return Fail(opened.Err());
    }
    return ReadPeriodReport(session, sequence, period, range, unverified, nullptr);
}

namespace {

// The periods, and over the whole record the counts over every record the totals leave to them
// (per station and outcome, added up from the periods; the serials verified), on a session of
// their own.
using PeriodsAndCounts = std::pair<LineReport, LedgerReport>;
Result<PeriodsAndCounts, LedgerError> ReadPeriodsAndCounts(odbc::Session& session,
                                                           const std::string& sequence,
                                                           ReportPeriod period,
                                                           const ReportRange& range) {
    const bool whole = range.Open();
    LedgerReport counted;
    auto read =
        ReadPeriodReport(session, sequence, period, range, !whole, whole ? &counted : nullptr);
    if (!read) {
        return Fail(read.Err());
    }
    if (whole) {
        // The serials verified: the verified records less each serial's second and later ones,
        // the few serials verified twice found in the index's order (no table of every serial,
        // which MariaDB would write to disk).
        odbc::Answer repeated = session.Run(
            "SELECT serial, COUNT(*) FROM zq_records WHERE sequence_name = ? AND outcome = "
            "'verified' GROUP BY serial HAVING COUNT(*) > 1",
            {sequence});
        session.Rollback();
        if (!repeated) {
            return Failed("could not read the records", repeated.Err());
        }
        counted.serialsVerified = counted.records[BatchOutcome::Verified];
        for (const odbc::Row& row : repeated->rows) {
            const uint64_t again = static_cast<uint64_t>(NumberIn(row.at(1)).value_or(1)) - 1;
            counted.serialsVerified -= std::min(again, counted.serialsVerified);
        }
    }
    return PeriodsAndCounts{std::move(*read), std::move(counted)};
}

}  // namespace

Result<SequenceReport, LedgerError> ReportSequence(const std::string& connection,
                                                   const std::string& sequence, ReportPeriod period,
                                                   const ReportRange& range) {
    // The periods on a session of their own at the same time: the server answers the two
    // halves side by side, each on a core, where one after the other their times add up. Over
    // the whole record the periods count every record once for both halves.
    // Connected here, one after the other: a driver may set the process's locale as it
    // connects (PostgreSQL's does), which two threads must not do at once.
    const bool whole = range.Open();
    odbc::Session other;
    if (auto opened = OpenSequence(other, connection, sequence); !opened) {
        return Fail(opened.Err());
    }
    std::future<Result<PeriodsAndCounts, LedgerError>> second = std::async(
        std::launch::async, ReadPeriodsAndCounts, std::ref(other), sequence, period, range);
    odbc::Session session;
    auto totals = Report(session, connection, sequence, !whole);
    auto periods = second.get();
    if (!totals) {
        return Fail(totals.Err());
    }
    if (!periods) {
        return Fail(periods.Err());
    }
    SequenceReport report{std::move(*totals), std::move(periods->first)};
    if (whole) {
        report.totals.records = std::move(periods->second.records);
        report.totals.stations = std::move(periods->second.stations);
        report.totals.serialsVerified = periods->second.serialsVerified;
        // Over the whole record the serials used without a verified outcome are the totals'.
        report.periods.unverified = report.totals.withoutVerified;
        SortReport(report.periods);
    }
    return report;
}

Result<std::vector<LedgerEntry>, LedgerError> TraceSerial(const std::string& connection,
                                                          const std::string& sequence,
                                                          const std::string& serial) {
    odbc::Session session;
    if (auto opened = OpenSequence(session, connection, sequence); !opened) {
        return Fail(opened.Err());
    }
    odbc::Answer records =
        session.Run(std::string(layout::kSelectRecords) +
                        "WHERE sequence_name = ? AND serial = ? ORDER BY recorded_ts, id",
                    {sequence, serial});
    session.Rollback();
    if (!records) {
        return Failed("could not read the records", records.Err());
    }
    return layout::EntriesFrom(*records);
}
