#include "record_hours.h"

#include "record_times.h"

namespace layout {

std::string RecordHour(odbc::Engine engine) {
    return engine == odbc::Engine::MariaDb ? "recorded_hour"
                                           : PeriodStart(engine, false, "recorded_ts");
}

std::vector<std::string> RecordHourSteps(odbc::Engine engine) {
    // Ordered by the hour, then station and outcome: the report's groups in the index's order.
    // The time itself last, so that a range of it is read from the index alone.
    const std::string hours =
        "zq_records (sequence_name, " + RecordHour(engine) + ", station, outcome";
    // The failures' status texts, counted from the index alone: the few failed records lie
    // among all the others, a page read for nearly each one when the table outgrows the
    // server's cache.
    const std::string statuses =
        " zq_records_status ON zq_records (sequence_name, outcome, "
        "status_text)";
    switch (engine) {
        case odbc::Engine::MariaDb:
            // Virtual: no row is rewritten, the index alone holds the hours.
            return {"ALTER TABLE zq_records ADD COLUMN IF NOT EXISTS recorded_hour DATETIME AS (" +
                        PeriodStart(engine, false, "recorded_ts") + ") VIRTUAL",
                    "CREATE INDEX IF NOT EXISTS" + statuses,
                    std::string("CREATE INDEX IF NOT EXISTS ") + kRecordHourIndex + " ON " + hours +
                        ", recorded_ts)"};
        case odbc::Engine::SqlServer:
            return {
                "IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = 'zq_records_status') "
                "CREATE INDEX" +
                    statuses,
                "IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name = '" +
                    std::string(kRecordHourIndex) +
                    "' AND object_id = OBJECT_ID('zq_records')) CREATE INDEX " + kRecordHourIndex +
                    " ON " + hours + ") INCLUDE (recorded_ts)"};
        default:
            return {"CREATE INDEX IF NOT EXISTS" + statuses,
                    std::string("CREATE INDEX IF NOT EXISTS ") + kRecordHourIndex + " ON " + hours +
                        ") INCLUDE (recorded_ts)"};
    }
}

std::string RecordHourProbe(odbc::Engine engine) {
    const std::string name = std::string("'") + kRecordHourIndex + "'";
    switch (engine) {
        case odbc::Engine::MariaDb:
            return "SELECT 1 FROM information_schema.statistics WHERE table_schema = DATABASE() "
                   "AND table_name = 'zq_records' AND seq_in_index = 1 AND index_name = " +
                   name;
        case odbc::Engine::SqlServer:
            return "SELECT 1 FROM sys.indexes WHERE name = " + name +
                   " AND object_id = OBJECT_ID('zq_records')";
        default:
            return "SELECT 1 FROM pg_indexes WHERE schemaname = current_schema() AND indexname = " +
                   name;
    }
}

}  // namespace layout
