// The ledger's tables, and the reads the operations and the ledger share. Every statement that
// allocates and records is the same on PostgreSQL, MariaDB and SQL Server. What differs by engine
// takes the engine: the tables' column types, the upgrades, the server's clock (here), the guards
// that refuse a change (ledger_guard.h), the roles (ledger_roles.h) and the record times and
// views (record_times.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ledger_operations.h"
#include "odbc_session.h"

namespace layout {

struct Table {
    std::string name;
    std::vector<std::string> create;  // the table, then its indexes
    // For a piece that adds no table: a statement with a row once it is there (otherwise the
    // table's own name says so).
    std::string probe = "";
};

// In the order they are created (each after the tables it refers to); the layout table last,
// so that its row says every other table is there.
std::vector<Table> Tables(odbc::Engine engine);
// The steps that bring a ledger of an older layout (1 to 4) to this program's, in order, every
// record kept; the caller writes the new layout's number last.
std::vector<std::string> Upgrade(int64_t from, odbc::Engine engine);
// The statement that reads the server's clock as whole seconds since 1970, UTC.
std::string ServerClock(odbc::Engine engine);

// The layout the database holds: empty when it holds no ledger (or one whose initialisation
// stopped before its last step); a failure when it could not be read.
Result<std::optional<int64_t>, odbc::Failure> FindLayout(odbc::Session& session);

// Succeeds when the database holds this program's layout; otherwise says why not.
Status CheckLayout(odbc::Session& session);

// The sequence's definition; empty when there is none.
Result<std::optional<SequenceDefinition>, odbc::Failure> FindSequence(odbc::Session& session,
                                                                      const std::string& name);

// The records' columns as an export reads them, and their rows as entries (a row whose outcome
// is not a word of the record refused, naming it).
inline const char* kSelectRecords =
    "SELECT recorded_at, port, serial, vid, pid, product, locked, outcome, status_text, station, "
    "job FROM zq_records ";
Result<std::vector<LedgerEntry>, LedgerError> EntriesFrom(const odbc::Rows& records);

inline const char* kSelectLayout = "SELECT version FROM zq_layout";
inline const char* kSelectSequence =
    "SELECT first_serial, vid, pid, product, locks, scheme, serial_format, utc_offset, job, "
    "job_digest FROM zq_sequences WHERE name = ?";

}  // namespace layout
