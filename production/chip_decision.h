// What a batch does with a chip once it has tried to read it.
#pragma once

#include <functional>
#include <string>

#include "chip_identity.h"
#include "config_record.h"
#include "job_outcome.h"
#include "result.h"

enum class ChipStep {
    ReadFailed,      // nothing is known of the chip, or of its history: it is left as it is
    SkipLocked,      // locked for ever: no frame can change it
    SkipProgrammed,  // already holds the batch's identity with a serial the ledger verified
    Program,         // gets the next serial
};

struct ChipDecision {
    ChipStep step = ChipStep::ReadFailed;
    std::string serial;  // the serial it holds, with SkipProgrammed
    std::string status;  // why, for the record; "" with Program
};

// read: the read's outcome; held: what it read; wasVerified: whether the ledger records a serial
// as verified, or why it cannot say. A board programmed by this batch and plugged in again is
// skipped, not given a second serial; one whose history cannot be answered is left as it is;
// any other configured chip is reprogrammed.
ChipDecision DecideAfterRead(JobOutcome read, const ConfigRecord& held,
                             const ChipIdentity& identity,
                             const std::function<Result<bool>(const std::string&)>& wasVerified);
