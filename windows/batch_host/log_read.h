// A log read whole and decoded, for the commands that look at a log without appending to it (an
// audit's basis, a report, a serial's trace).
#pragma once

#include <string>
#include <vector>

#include "ledger_entry.h"

// The log's records. Throws a CommandFailure (bad usage) naming --log and the path when the file
// cannot be read or is not a log.
std::vector<LedgerEntry> ReadLogRecords(const std::string& path);
