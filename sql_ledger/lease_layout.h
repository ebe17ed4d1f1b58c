// The ledger's tables for serials leased ahead to a station: one row per lease, one per release.
// Neither table's rows are ever changed: a lease's use is read from the serials' own rows (a
// leased serial gets its zq_serials row only when a board takes it), and a release is a row of
// its own, so that the record stays append-only.
#pragma once

#include <string>
#include <vector>

namespace layout {

struct Table;

// The lease tables, unspelled, in the order they are created (after zq_sequences).
std::vector<Table> LeaseTables();
// The same tables for a ledger of an older layout, each step recognising itself as done.
std::vector<std::string> LeaseUpgrade();

}  // namespace layout
