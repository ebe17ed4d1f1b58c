#include "batch_start.h"

#include "command_failure.h"
#include "exit_codes.h"

BatchStart StartBatch(const BatchOptions& options) {
    if (options.UsesLedger()) {
        throw CommandFailure{EXIT_BAD_USAGE, "this build has no shared ledger"};
    }
    BatchStart start;
    start.settings.identity = IdentityOf(options.identity);
    start.settings.count = options.count;
    start.settings.ports = options.ports;
    start.logFile = std::make_unique<LogFile>();
    std::string problem = start.logFile->Open(options.log);
    if (!problem.empty()) {
        throw CommandFailure{EXIT_BAD_USAGE, problem};
    }
    start.ledger =
        std::make_unique<LogLedger>(*start.logFile, *SerialSequence::From(options.serialFrom));
    problem = start.ledger->Open();
    if (!problem.empty()) {
        throw CommandFailure{EXIT_BAD_USAGE, problem};
    }
    start.recordName = "log " + options.log;
    return start;
}
