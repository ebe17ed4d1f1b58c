// The SQL ledger's operations on a line's database, as data for the console's `ledger` commands
// to print: creating the tables, defining a sequence, the report and the export. Each opens its
// own connection from an ODBC connection string and closes it again. No message ever holds the
// connection string's password.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "batch_outcome.h"
#include "ledger_entry.h"
#include "result.h"

namespace odbc {
class Session;
}

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

// Where a sequence's serials come from. Unknown: a word this program does not know (a row of a
// newer program, or edited by hand): no batch takes from it.
enum class SequenceScheme { From, Format, List, Unknown };

// "from", "format" or "list", as the ledger keeps it.
const char* SchemeWord(SequenceScheme scheme);
SequenceScheme SchemeNamed(const std::string& word);

// A line's job: the serials every station takes from, and the identity every chip is given.
struct SequenceDefinition {
    std::string name;
    std::string firstSerial;  // with From
    std::string vid;          // four upper-case hexadecimal digits
    std::string pid;
    std::string product;  // UTF-8
    bool lock = false;
    SequenceScheme scheme = SequenceScheme::From;
    std::string serialFormat = "";  // with Format
    std::string utcOffset = "";     // with Format: "+08:00", or "" for UTC
    std::string job = "";           // the id of the job file it was defined from; "" without one
    std::string jobDigest = "";     // that job's whole digest (job_id.h); "" without one

    bool operator==(const SequenceDefinition&) const = default;
};

struct StationCounts {
    std::string station;
    std::map<BatchOutcome, uint64_t> records;  // records per outcome, `started` included
};

struct LedgerReport {
    SequenceDefinition sequence;
    std::string capacity;  // "999999 in all", "9999 per week", "250 in the list"
    uint64_t serialsUsed = 0;
    uint64_t serialsVerified = 0;  // used serials with a verified record
    uint64_t serialsFree = 0;      // a list's serials not yet taken (0 for other schemes)
    std::string highestSerial;     // "" when none was used
    std::map<BatchOutcome, uint64_t> records;  // every station's, per outcome
    std::vector<StationCounts> stations;       // by name
    std::vector<std::string> withoutVerified;  // serials used with no verified record, in order
    uint64_t serialsLeased = 0;                // leased ahead to stations, used or not
    uint64_t serialsReleased = 0;              // leased, never used, released
};

// What a batch on a sequence would take next, read without taking anything.
struct SerialPreview {
    std::vector<std::string> serials;  // at most the count asked for, in the order of the takes
    std::string capacity;
    std::string after;  // the last serial the sequence has handed out; "" when none
    std::string stop;   // why fewer serials than asked: the sequence ran out, or the period did
};

// The layout of the tables this program reads and writes. Layout 2: a serial is unique per VID
// and PID across sequences. Layout 3: format and list sequences (a period's counter, a list's
// serials with their state), and a job's id on sequences and records. Layout 4: the records' and
// serials' times as timestamps, the views zq_outcomes and zq_hourly, a sequence keeps the whole
// digest of the job it was defined from, serials leased ahead to a station with their releases;
// the database refuses to change or delete a record or a handed-out serial, or to move a
// position back. Layout 5: the records' hour in an index a report per hour walks.
inline constexpr int kLedgerLayout = 5;

// Creates whatever tables are missing, or brings a ledger of an older layout to this one in one
// transaction, every record kept; value true when it changed anything. A database of a newer
// layout is refused.
Result<bool, LedgerError> InitLedger(const std::string& connection);
// Defines a sequence, a list sequence with its serials (listSerials, checked and without
// duplicates), in one transaction; value true when it was new. The same name again with the same
// values (and the same list) changes nothing; with other values it is refused, naming them.
Result<bool, LedgerError> DefineSequence(const std::string& connection,
                                         const SequenceDefinition& sequence,
                                         const std::vector<std::string>& listSerials = {});
// Adds serials to a list sequence, after its others, in one transaction: all or nothing. A serial
// already in the sequence is refused, named. Value: the list's size after the import.
Result<uint64_t, LedgerError> ImportSerials(const std::string& connection,
                                            const std::string& sequence,
                                            const std::vector<std::string>& serials);
// The next `count` serials a batch on the sequence would take, at the server's date (or at
// clock's, when a test gives one).
Result<SerialPreview, LedgerError> PreviewSequence(
    const std::string& connection, const std::string& sequence, int count,
    const std::function<std::chrono::system_clock::time_point()>& clock = {});
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
// The same through the caller's session, which stays connected for reads of its own; without
// `counts` the counts over the sequence's records (per station and outcome; the serials
// verified) are left to a caller that reads them on a session of its own (a report per period
// adds them up from its periods).
Result<LedgerReport, LedgerError> Report(odbc::Session& session, const std::string& connection,
                                         const std::string& sequence, bool counts);
// Every record of the sequence, in the order they were made: the log's columns and the station.
// With a serial: only that serial's records (what an audit of one board reads).
Result<std::vector<LedgerEntry>, LedgerError> Export(const std::string& connection,
                                                     const std::string& sequence,
                                                     const std::optional<std::string>& serial = {});
