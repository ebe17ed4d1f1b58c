// The ledger's record kept as written, by the database itself: triggers refuse to change or delete
// a record (zq_records) or a handed-out serial (zq_serials), whoever asks, the tables' owner
// included, and refuse to move a sequence's position or a period's counter back, which would
// hand a serial out again. Created last, by a new ledger's init and by an upgrade, so that an
// upgrade step that must fill a column of old rows runs before them.
#pragma once

#include <string>
#include <vector>

#include "odbc_session.h"

namespace layout {

// The statements that create the triggers, each recognising itself as done (created again or
// left as it is), in order.
std::vector<std::string> AppendOnly(odbc::Engine engine);

}  // namespace layout
