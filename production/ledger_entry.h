// One record of a batch: a chip's serial taken (`started`) or a chip's outcome, with the identity
// it was given; or what was done to it afterwards (an audit, a label), whose status says why. A log
// line, or a database row, holds exactly these fields.
#pragma once

#include <string>
#include <vector>

#include "batch_outcome.h"

struct LedgerEntry {
    std::string time;  // UTC, ISO 8601 with milliseconds; stamped by the ledger when empty
    std::string port;
    std::string serial;  // "" when no serial was used
    std::string vid;     // four upper-case hexadecimal digits
    std::string pid;
    std::string product;  // UTF-8
    bool lock = false;
    BatchOutcome outcome = BatchOutcome::Started;
    std::string status;   // the status text, UTF-8; "" for started
    std::string station;  // the station that recorded it; "" in a single station's log
    std::string job;      // the job file's id, 8 upper-case hexadecimal digits; "" without a job
};

// The serial's last programming record (an outcome of a write, not an audit or a label): the one
// that says what the chip was given. Null when the records never name the serial so.
const LedgerEntry* LastProgramming(const std::vector<LedgerEntry>& records,
                                   const std::string& serial);
