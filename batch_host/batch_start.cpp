#include "batch_start.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "log_ledger.h"
#include "sql_ledger.h"
#include "utf_text.h"
#include "value_checks.h"

namespace {

void StartFromLog(const BatchOptions& options, BatchStart& start) {
    start.settings.identity = IdentityOf(options.identity);
    start.logFile = std::make_unique<LogFile>();
    std::string problem = start.logFile->Open(options.log);
    if (!problem.empty()) {
        throw CommandFailure{EXIT_BAD_USAGE, problem};
    }
    auto ledger =
        std::make_unique<LogLedger>(*start.logFile, *SerialSequence::From(options.serialFrom));
    problem = ledger->Open();
    if (!problem.empty()) {
        throw CommandFailure{EXIT_BAD_USAGE, problem};
    }
    start.resumedAfter = ledger->ResumedAfter();
    start.ledger = std::move(ledger);
    start.recordName = "log " + options.log;
}

void StartFromDatabase(const BatchOptions& options,
                       const std::function<void(bool connected)>& onConnection, BatchStart& start) {
    SqlLedgerOptions sqlOptions;
    sqlOptions.reconnectBound = std::chrono::seconds(options.reconnectSeconds);
    sqlOptions.onConnection = onConnection;
    LedgerResult<std::unique_ptr<SqlLedger>> opened = SqlLedger::Open(
        options.ledger, options.sequence, options.station, SerialSequence::At, sqlOptions);
    if (!opened.Ok()) {
        throw CommandFailure{EXIT_RECORD_FAILED, opened.error};
    }
    const SequenceDefinition& sequence = opened.value->Sequence();
    ChipIdentity& identity = start.settings.identity;
    identity.vendorId = ParseId(sequence.vid);
    identity.productId = ParseId(sequence.pid);
    identity.product = Utf8ToUtf16(sequence.product).value_or(u"");
    identity.lock = sequence.lock;
    start.ledger = std::move(opened.value);
    start.recordName =
        "sequence " + options.sequence + " in the ledger, station " + options.station;
}

}  // namespace

BatchStart StartBatch(const BatchOptions& options,
                      const std::function<void(bool connected)>& onConnection) {
    BatchStart start;
    start.settings.count = options.count;
    start.settings.ports = options.ports;
    start.settings.station = options.station;
    if (options.UsesLedger()) {
        StartFromDatabase(options, onConnection, start);
    } else {
        StartFromLog(options, start);
    }
    return start;
}
