// Layout 4's piece of the ledger: every record and every handed-out serial carries its time as
// the database's own timestamp (UTC, milliseconds) beside the text older readers use, indexed
// with the sequence for time ranges, and two views a supervisor's tools read without SQL of
// their own: zq_outcomes (one row a record) and zq_hourly (counts per sequence, station, hour).
#pragma once

#include <string>
#include <vector>

#include "odbc_session.h"

namespace layout {

// For a new database: the columns, their indexes and the views, each step safe to run again.
// Named after the last view, whose presence says the piece is there.
std::vector<std::string> RecordTimeSteps(odbc::Engine engine);
inline const char* kRecordTimesLast = "zq_hourly";
// For a ledger of layout 3 or older: the same, with the timestamps of the records and serials
// already there filled from their text (a text that is no time this program wrote stays
// without one).
std::vector<std::string> RecordTimeUpgrade(odbc::Engine engine);

// Replaces every {ts} in a statement with the engine's cast of a parameter to a timestamp with
// milliseconds; the parameter is TimestampText of the record's time.
std::string SpellTimestamp(std::string statement, odbc::Engine engine);
// "2026-12-07T15:31:44.823Z" as every engine reads a timestamp: "2026-12-07 15:31:44.823".
std::string TimestampText(const std::string& utcStamp);

// The engine's expression for the start of a record's hour or day (recorded_ts), as a
// timestamp; and the engine's text of such a timestamp, "2026-12-07T11:00Z".
std::string PeriodStart(odbc::Engine engine, bool day, const std::string& column);
std::string PeriodText(odbc::Engine engine, const std::string& column);

// The condition that no record of the sequence (the one parameter) says the serial (a column of
// the outer query) verified, as each engine answers it fast over a million records: PostgreSQL
// an anti-join (its NOT IN over a large set rescans it per row), MariaDB a set it builds once
// (its NOT EXISTS probes once per row).
std::string NeverVerified(odbc::Engine engine, const std::string& serialColumn);
// The sequence's handed-out serials, in the order they were taken, that no record of it says
// verified; the sequence is both parameters. MariaDB answers a join that keeps the serials
// without a match a third faster than either condition: a join probes without a subquery's
// machinery per serial.
std::string SerialsNeverVerified(odbc::Engine engine);

}  // namespace layout
