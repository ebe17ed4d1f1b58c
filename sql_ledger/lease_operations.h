// The console's `ledger lease` commands: the leases each station holds, and a retired station's
// unused leased serials released. Each opens its own connection, as the other operations do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ledger_operations.h"
#include "odbc_session.h"

// One station's leases of one sequence: serials leased, used (a board took them), released
// (never used, and given up) and unused (still the station's).
struct LeaseCounts {
    std::string sequence;
    std::string station;
    uint64_t leased = 0;
    uint64_t used = 0;
    uint64_t unused = 0;
    uint64_t released = 0;
};

// Per sequence and station, in byte order; every sequence's when sequence is "".
Result<std::vector<LeaseCounts>, LedgerError> ListLeases(const std::string& connection,
                                                         const std::string& sequence);
// Releases the station's unused leased serials (of every sequence, or of one), in one
// transaction: a list's serials go back to free, a counted or format sequence's stay used, on
// record as never written. Value: what was released, per sequence.
Result<std::vector<LeaseCounts>, LedgerError> ReleaseLeases(const std::string& connection,
                                                            const std::string& station,
                                                            const std::string& sequence);
// The report's totals for a sequence: serials leased and released, inside the caller's session.
Result<LeaseCounts, odbc::Failure> LeaseTotals(odbc::Session& session, const std::string& sequence);
