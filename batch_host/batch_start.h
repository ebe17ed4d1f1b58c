// What a batch needs before its first chip, from its options: the log opened and read, the
// serials resumed, the settings. Any problem here ends the batch before a port is opened.
#pragma once

#include <memory>
#include <string>

#include "batch.h"
#include "batch_options.h"
#include "log_file.h"
#include "log_ledger.h"

struct BatchStart {
    std::unique_ptr<LogFile> logFile;
    std::unique_ptr<LogLedger> ledger;
    BatchSettings settings;
    std::string recordName;  // "log shift.csv", for the batch's first line
};

// Throws a CommandFailure (EXIT_BAD_USAGE: nothing was opened) when the log cannot be opened or
// read, or no serial of the sequence is left.
BatchStart StartBatch(const BatchOptions& options);
