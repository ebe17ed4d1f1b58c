// A leasing station's journal: its leases and every record it makes, each on disk before it is
// used, so that the station goes on while the ledger's database does not answer, and a restart
// goes on with the same lease and writes what the database has not seen yet. One JSON object a
// line: the sequence first (what a board needs when the database is out of reach), then leases,
// records and the keys of records the database holds.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ledger_entry.h"
#include "ledger_operations.h"
#include "log_store.h"
#include "result.h"
#include "serial_lease.h"

struct JournalRecord {
    std::string key;
    LedgerEntry entry;
    std::optional<uint64_t> leasedPosition;  // a leased serial's `started` record
};

// What a journal holds, read back.
struct JournalState {
    std::optional<SequenceDefinition> sequence;  // empty for a new journal
    std::string station;
    std::deque<LeasedSerial> leased;     // leased, not yet taken, in order
    std::vector<JournalRecord> pending;  // not yet known to be in the database, in order
    uint64_t leases = 0;                 // leases in the journal
};

class LeaseJournal {
public:
    // name: how messages call it ("the journal line1-st-a.journal").
    LeaseJournal(LogBytes& bytes, std::string name);

    // Reads the journal; fails when it cannot be read, or holds a line this program did not write.
    Result<JournalState> Load();
    // Each fails, saying why, when the line is not known to be on disk.
    Status Begin(const SequenceDefinition& sequence, const std::string& station);
    Status Lease(const LeaseBlock& lease);
    Status Record(const JournalRecord& record);
    // Records the database holds (a replay after a crash finds them there by their keys anyway),
    // in one write.
    Status Landed(const std::vector<std::string>& keys);
    // A lease whose unused serials were released (a format's lease at a new period).
    Status Released(const std::string& lease);
    const std::string& Name() const { return name_; }

    // Lines in the journal: read by Load, and written since.
    size_t Lines() const { return lines_; }
    // Rewrites the journal with only what a restart needs once every record of it is in the
    // database: the sequence and the station's leased serials not yet taken. Atomically: the old
    // journal stays whole until the new one is on disk.
    Status Compact(const SequenceDefinition& sequence, const std::string& station,
                   const std::deque<LeasedSerial>& leased);

private:
    Status Write(const std::string& lines, size_t count = 1);
    LogBytes& bytes_;
    const std::string name_;
    size_t lines_ = 0;
};
