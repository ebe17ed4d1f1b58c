#include "ledger_questions.h"

#include "column_number.h"
#include "ledger_layout.h"
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
    Where where{" WHERE " + alias + "sequence_name = ?", {sequence}};
    if (range.from) {
        where.sql += " AND " + alias + "recorded_ts >= {ts}";
        where.parameters.push_back(SqlStamp(*range.from));
    }
    if (range.to) {
        where.sql += " AND " + alias + "recorded_ts < {ts}";
        where.parameters.push_back(SqlStamp(*range.to));
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

ReportQueries QueriesFor(odbc::Engine engine, bool day, const std::string& where,
                         const std::string& whereR) {
    const std::string start = layout::PeriodStart(engine, day, "recorded_ts");
    ReportQueries queries;
    // Grouped by the period's timestamp first, its text made once per group.
    queries.periods = "SELECT station, " + layout::PeriodText(engine, "period_start") +
                      ", outcome, records FROM (SELECT station, " + start +
                      " AS period_start, outcome, COUNT(*) AS records FROM zq_outcomes" + where +
                      " AND recorded_ts IS NOT NULL GROUP BY station, " + start +
                      ", outcome) grouped";
    queries.failures = "SELECT status_text, COUNT(*) FROM zq_outcomes" + where +
                       " AND outcome IN " + Words(IsFailure) + " GROUP BY status_text";
    queries.reprint =
        "SELECT r.serial FROM zq_records r JOIN (SELECT serial, MAX(id) AS last_id "
        "FROM zq_records" +
        where + " AND outcome IN " + Words(IsLabelRecord) +
        " GROUP BY serial) l ON r.id = l.last_id WHERE r.outcome = 'label-failed'";
    queries.unverified = "SELECT DISTINCT s.serial FROM zq_records s" + whereR +
                         " AND s.outcome = 'started' AND " +
                         layout::NeverVerified(engine, "s.serial");
    for (std::string* query :
         {&queries.periods, &queries.failures, &queries.reprint, &queries.unverified}) {
        *query = layout::SpellTimestamp(*query, engine);
    }
    return queries;
}

Status ReadPeriods(const std::vector<odbc::Row>& rows, LineReport& report) {
    for (const odbc::Row& row : rows) {
        const std::optional<BatchOutcome> outcome = OutcomeFromWord(row.at(2).value_or(""));
        const std::optional<int64_t> count = NumberIn(row.at(3));
        if (!outcome || !count || *count < 0) {
            return Fail("the records hold an unknown outcome \"" + row.at(2).value_or("") + "\"");
        }
        const std::string station = row.at(0).value_or(""), period = row.at(1).value_or("");
        if (report.periods.empty() || report.periods.back().station != station ||
            report.periods.back().period != period) {
            report.periods.push_back({station, period, {}});
        }
        report.periods.back().records[*outcome] += static_cast<uint64_t>(*count);
    }
    return {};
}

}  // namespace

Result<LineReport, LedgerError> PeriodReport(const std::string& connection,
                                             const std::string& sequence, ReportPeriod period,
                                             const ReportRange& range, bool unverified) {
    odbc::Session session;
    if (auto opened = OpenSequence(session, connection, sequence); !opened) {
        return Fail(opened.Err());
    }
    const Where where = InRange(sequence, range, ""), whereR = InRange(sequence, range, "s.");
    const ReportQueries queries =
        QueriesFor(session.DatabaseEngine(), period == ReportPeriod::Day, where.sql, whereR.sql);
    odbc::Answer periods = session.Run(queries.periods + " ORDER BY 1, 2", where.parameters);
    odbc::Answer failures = session.Run(queries.failures, where.parameters);
    odbc::Answer reprint = session.Run(queries.reprint, where.parameters);
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
    if (Status read = ReadPeriods(periods->rows, report); !read) {
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
