// Layout 5's piece of the ledger: the records' hour as an index orders it, so that a report per
// station and hour over a million records is one walk along an index, every record's counts
// grouped as they come, with no table of groups and no sort. MariaDB keeps the hour as a virtual
// column (its optimizer groups by an index's columns, not by an expression); PostgreSQL and SQL
// Server index the expression itself. The failures' status texts are indexed with their outcome.
#pragma once

#include <string>
#include <vector>

#include "odbc_session.h"

namespace layout {

// The steps, for a new ledger (after layout 4's times) and for the upgrade from an older one;
// each recognises itself as done. The hours' index last: its presence says the piece is there.
std::vector<std::string> RecordHourSteps(odbc::Engine engine);
// A statement with a row when the piece is there, none when it is not.
std::string RecordHourProbe(odbc::Engine engine);
inline const char* kRecordHourIndex = "zq_records_hour";

// The start of a record's hour (NULL when its time is), as the index holds it: what a report
// groups by for the index to serve it.
std::string RecordHour(odbc::Engine engine);

}  // namespace layout
