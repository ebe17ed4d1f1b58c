// The SQL ledger's operations on a line's database, as data for the console's `ledger` commands
// to print: creating the tables, defining a sequence, the report and the export. Each opens its
// own connection from an ODBC connection string and closes it again. No message ever holds the
// connection string's password.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "batch_outcome.h"
#include "ledger_entry.h"
#include "result.h"

// Why a ledger operation has no value.
struct LedgerError {
    std::string message;
    // The request itself is refused (a value that does not fit what the ledger holds), not the
    // database out of reach: the console answers it as a bad value.
    bool refused = false;
};

inline Unexpected<LedgerError> LedgerFail(std::string message, bool refused = false) {
    return {LedgerError{std::move(message), refused}};
}

// A line's job: the serials every station takes from, and the identity every chip is given.
struct SequenceDefinition {
    std::string name;
    std::string firstSerial;
    std::string vid;  // four upper-case hexadecimal digits
    std::string pid;
    std::string product;  // UTF-8
    bool lock = false;

    bool operator==(const SequenceDefinition&) const = default;
};

struct StationCounts {
    std::string station;
    std::map<BatchOutcome, uint64_t> records;  // records per outcome, `started` included
};

struct LedgerReport {
    SequenceDefinition sequence;
    uint64_t serialsUsed = 0;
    std::string highestSerial;                 // "" when none was used
    std::map<BatchOutcome, uint64_t> records;  // every station's, per outcome
    std::vector<StationCounts> stations;       // by name
    std::vector<std::string> withoutVerified;  // serials used with no verified record, in order
};

// The layout of the tables this program reads and writes. Layout 2: a serial is unique per VID
// and PID across sequences.
inline constexpr int kLedgerLayout = 2;

// Creates whatever tables are missing; value true when it created any. A database holding the
// tables of another layout is refused.
Result<bool, LedgerError> InitLedger(const std::string& connection);
// Defines a sequence; value true when it was new. The same name again with the same values
// changes nothing; with other values it is refused, naming them.
Result<bool, LedgerError> DefineSequence(const std::string& connection,
                                         const SequenceDefinition& sequence);
// The other sequences of the same VID and PID whose serials meet this one's (the same prefix and
// number of digits), by name: a take skips a serial another of them has used, so a line running
// both loses serials to the other.
Result<std::vector<std::string>, LedgerError> OverlappingSequences(
    const std::string& connection, const SequenceDefinition& sequence);
// A sequence's definition, as a batch starts from it.
Result<SequenceDefinition, LedgerError> ReadSequence(const std::string& connection,
                                                     const std::string& name);
Result<LedgerReport, LedgerError> Report(const std::string& connection,
                                         const std::string& sequence);
// Every record of the sequence, in the order they were made: the log's columns and the station.
Result<std::vector<LedgerEntry>, LedgerError> Export(const std::string& connection,
                                                     const std::string& sequence);
