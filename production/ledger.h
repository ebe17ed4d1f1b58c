// Where a batch takes its serials and records what became of each chip. A serial counts as used
// from its `started` record on, so a ledger hands it out only once that record is durable, and
// never again: across workers, crashes, restarts and (for a shared ledger) stations.
// Every member may be called from several workers at once.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ledger_entry.h"
#include "result.h"

enum class TakeResult {
    Taken,        // the serial is recorded as started: it may be written to the chip
    RunOut,       // no serial of the sequence is left
    NotYet,       // none is left in this period (a week's counter used up): ask again later
    NotRecorded,  // the started record could not be made durable: the serial must not be used
};

struct SerialTake {
    TakeResult result = TakeResult::NotRecorded;
    std::string serial;   // with Taken
    std::string message;  // why not, otherwise
};

class Ledger {
public:
    virtual ~Ledger() = default;

    // Takes the next serial and records `started` for it with the chip's fields (its serial,
    // time and outcome are the ledger's to fill), durably, before it returns.
    virtual SerialTake TakeSerial(const LedgerEntry& chip) = 0;
    // Records a chip's outcome durably; fails, saying why, when it could not be recorded. A
    // shared ledger that lost its connection keeps trying, within its bound, before it fails.
    virtual Status Record(const LedgerEntry& entry) = 0;
    // True when the ledger records this serial as verified (by this batch or an earlier one); an
    // error when the ledger cannot answer, so that a board whose history is unknown is left alone
    // rather than given a second serial.
    virtual Result<bool> WasVerified(const std::string& serial) = 0;
    // The serial the next take would hand out, for the batch's header: none when no serial is
    // free now (the scheme has run out, or a format's period is full); an error when the ledger
    // cannot be read, which is not the same as none left.
    virtual Result<std::optional<std::string>> NextSerial() = 0;
    // The last serial whose record is known to be durable ("" when none), so that a batch
    // stopped by a failed record can say how far its record reaches.
    virtual std::string LastRecordedSerial() = 0;
    // Serials taken whose outcome could not be recorded; they stay used.
    virtual std::vector<std::string> UnrecordedSerials() = 0;
    // At the batch's end: whatever the ledger kept to record later (a leasing station's journal
    // while its database did not answer) recorded now, within its bound; fails saying what is
    // still kept.
    virtual Status Finish() { return {}; }
};
