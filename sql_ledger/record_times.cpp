#include "record_times.h"

#include "report_outcomes.h"

namespace layout {

namespace {

// The engine's timestamp with milliseconds, and whether it knows IF NOT EXISTS.
const char* TimestampType(odbc::Engine engine) {
    switch (engine) {
        case odbc::Engine::MariaDb:
            // DATETIME, not TIMESTAMP: MariaDB's TIMESTAMP ends in 2038 and is converted to
            // and from the session's time zone; the ledger's times are UTC whatever the session.
            return "DATETIME(3)";
        case odbc::Engine::SqlServer:
            return "DATETIME2(3)";
        default:
            return "TIMESTAMP(3)";
    }
}

std::string AddColumn(odbc::Engine engine, const std::string& table, const std::string& column) {
    return "ALTER TABLE " + table +
           (engine == odbc::Engine::SqlServer ? " ADD " : " ADD COLUMN IF NOT EXISTS ") + column +
           " " + TimestampType(engine) + " NULL";
}

std::string AddIndex(odbc::Engine engine, const std::string& name, const std::string& columns) {
    return std::string("CREATE INDEX") +
           (engine == odbc::Engine::SqlServer ? "" : " IF NOT EXISTS") + " " + name + " ON " +
           columns;
}

std::string CreateView(odbc::Engine engine, const std::string& name, const std::string& body) {
    return std::string(engine == odbc::Engine::SqlServer ? "CREATE OR ALTER VIEW "
                                                         : "CREATE OR REPLACE VIEW ") +
           name + " AS " + body;
}

// The text's time as a timestamp, or NULL when the text is not a time this program wrote
// ("2026-12-07T15:31:44.823Z"): an old row edited by hand must not stop the upgrade. No braces
// in the pattern: a driver may take them for an escape sequence.
std::string TimeOfText(odbc::Engine engine, const std::string& text) {
    const std::string plain = "REPLACE(REPLACE(" + text + ", 'T', ' '), 'Z', '')";
    const std::string shape =
        "'^[0-9][0-9][0-9][0-9]-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])T([01][0-9]|2[0-3]):"
        "[0-5][0-9]:[0-5][0-9]([.][0-9]+)?Z$'";
    switch (engine) {
        case odbc::Engine::MariaDb:
            return "CASE WHEN " + text + " REGEXP " + shape + " THEN CAST(" + plain +
                   " AS DATETIME(3)) END";
        case odbc::Engine::SqlServer:
            return "TRY_CONVERT(DATETIME2(3), " + plain + ", 121)";
        default:
            return "CASE WHEN " + text + " ~ " + shape + " THEN CAST(" + plain +
                   " AS TIMESTAMP(3)) END";
    }
}

std::string HourlyView(odbc::Engine engine) {
    std::string body = "SELECT sequence_name, station, " +
                       PeriodStart(engine, false, "recorded_ts") + " AS hour_start";
    for (BatchOutcome outcome : kReportedOutcomes) {
        body += std::string(", COUNT(CASE WHEN outcome = '") + OutcomeWord(outcome) +
                "' THEN 1 END) AS " + OutcomeColumn(outcome);
    }
    return body + " FROM zq_records WHERE recorded_ts IS NOT NULL GROUP BY sequence_name, " +
           "station, " + PeriodStart(engine, false, "recorded_ts");
}

std::vector<std::string> Views(odbc::Engine engine) {
    return {CreateView(engine, "zq_outcomes",
                       "SELECT recorded_ts, sequence_name, station, port, serial, outcome, "
                       "status_text, job FROM zq_records"),
            CreateView(engine, kRecordTimesLast, HourlyView(engine))};
}

}  // namespace

std::vector<std::string> RecordTimeSteps(odbc::Engine engine) {
    std::vector<std::string> steps = {
        AddColumn(engine, "zq_records", "recorded_ts"),
        AddColumn(engine, "zq_serials", "taken_ts"),
        // A time range of one sequence is what reports and dashboards ask for; with the station
        // and the outcome the index alone answers a report's counts per period, without the
        // rows. A sequence's records of one outcome answer which serials verified, started
        // or had a label printed, again from the index alone.
        AddIndex(engine, "zq_records_time",
                 "zq_records (sequence_name, recorded_ts, station, outcome)"),
        AddIndex(engine, "zq_records_outcome", "zq_records (sequence_name, outcome, serial)"),
        AddIndex(engine, "zq_serials_time", "zq_serials (sequence_name, taken_ts)"),
    };
    for (std::string& view : Views(engine)) {
        steps.push_back(std::move(view));
    }
    return steps;
}

std::vector<std::string> RecordTimeUpgrade(odbc::Engine engine) {
    std::vector<std::string> steps = RecordTimeSteps(engine);
    // Before the indexes, so that the fill does not update them row by row; a fill that ran
    // already (MariaDB commits each step) finds nothing left to fill.
    steps.insert(steps.begin() + 2,
                 {"UPDATE zq_records SET recorded_ts = " + TimeOfText(engine, "recorded_at") +
                      " WHERE recorded_ts IS NULL",
                  "UPDATE zq_serials SET taken_ts = " + TimeOfText(engine, "taken_at") +
                      " WHERE taken_ts IS NULL"});
    return steps;
}

std::string SpellTimestamp(std::string statement, odbc::Engine engine) {
    const std::string key = "{ts}";
    const std::string cast = std::string("CAST(? AS ") + TimestampType(engine) + ")";
    for (size_t at = statement.find(key); at != std::string::npos; at = statement.find(key, at)) {
        statement.replace(at, key.size(), cast);
    }
    return statement;
}

std::string TimestampText(const std::string& utcStamp) {
    std::string text = utcStamp;
    if (text.size() > 10 && text[10] == 'T') {
        text[10] = ' ';
    }
    if (!text.empty() && text.back() == 'Z') {
        text.pop_back();
    }
    return text;
}

std::string PeriodStart(odbc::Engine engine, bool day, const std::string& column) {
    switch (engine) {
        case odbc::Engine::MariaDb: {
            // Whole hours or days since 1970 and back: arithmetic, where a text per row costs
            // MariaDB several times more.
            const std::string unit = day ? "DAY" : "HOUR";
            return "TIMESTAMPADD(" + unit + ", TIMESTAMPDIFF(" + unit + ", '1970-01-01', " +
                   column + "), '1970-01-01')";
        }
        case odbc::Engine::SqlServer:
            return std::string("DATEADD(") + (day ? "day" : "hour") + ", DATEDIFF(" +
                   (day ? "day" : "hour") + ", 0, " + column + "), 0)";
        default:
            return std::string("date_trunc('") + (day ? "day" : "hour") + "', " + column + ")";
    }
}

std::string NeverVerified(odbc::Engine engine, const std::string& serialColumn) {
    if (engine == odbc::Engine::MariaDb) {
        return serialColumn +
               " NOT IN (SELECT never.serial FROM zq_records never WHERE never.sequence_name = ? "
               "AND never.outcome = 'verified')";
    }
    return "NOT EXISTS (SELECT 1 FROM zq_records never WHERE never.sequence_name = ? AND "
           "never.serial = " +
           serialColumn + " AND never.outcome = 'verified')";
}

std::string SerialsNeverVerified(odbc::Engine engine) {
    if (engine == odbc::Engine::MariaDb) {
        return "SELECT s.serial FROM zq_serials s LEFT JOIN zq_records v ON v.sequence_name = ? "
               "AND v.outcome = 'verified' AND v.serial = s.serial WHERE s.sequence_name = ? "
               "AND v.id IS NULL ORDER BY s.serial_position";
    }
    return "SELECT s.serial FROM zq_serials s WHERE s.sequence_name = ? AND " +
           NeverVerified(engine, "s.serial") + " ORDER BY s.serial_position";
}

std::string PeriodText(odbc::Engine engine, const std::string& column) {
    switch (engine) {
        case odbc::Engine::MariaDb:
            return "DATE_FORMAT(" + column + ", '%Y-%m-%dT%H:%iZ')";
        case odbc::Engine::SqlServer:
            return "FORMAT(" + column + ", 'yyyy-MM-ddTHH:mmZ')";
        default:
            return "to_char(" + column + ", 'YYYY-MM-DD\"T\"HH24:MI\"Z\"')";
    }
}

}  // namespace layout
