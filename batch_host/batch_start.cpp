#include "batch_start.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "job_load.h"
#include "job_options.h"
#include "log_ledger.h"
#include "scheme_start.h"
#include "sequence_identity.h"
#include "sql_ledger.h"

namespace {

// The job's identity and serials in the options' place, and its id on every record.
void ApplyJobFile(BatchOptions& options, BatchStart& start) {
    Job job = LoadJob(options.job);
    if (job.serials.scheme == JobScheme::None) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "--job: " + options.job +
                                 " names no serials: a batch needs its serial-from, "
                                 "serial-format or serial-list"};
    }
    ApplyJob(job, options.identity, options.scheme);
    start.settings.job = job.id;
    start.jobTitle = JobTitle(job);
}

void StartFromLog(BatchOptions options, BatchStart& start) {
    if (!options.job.empty()) {
        ApplyJobFile(options, start);
    }
    start.settings.identity = IdentityOf(options.identity);
    // The list is read and checked before the log is opened: a list refused creates no log.
    std::unique_ptr<SerialScheme> serials = StartScheme(options.scheme);
    start.capacity = serials->Capacity();
    start.logFile = std::make_unique<LogFile>();
    Status opened = start.logFile->Open(options.log);
    if (!opened) {
        throw CommandFailure{EXIT_BAD_USAGE, opened.Err().message};
    }
    start.logStore = std::make_unique<LogStore>(*start.logFile, "the log " + options.log);
    auto ledger = std::make_unique<LogLedger>(*start.logStore, std::move(serials));
    opened = ledger->Open();
    if (!opened) {
        throw CommandFailure{EXIT_BAD_USAGE, opened.Err().message};
    }
    start.resumedAfter = ledger->ResumedAfter();
    start.ledger = std::move(ledger);
    start.recordName = "log " + options.log + (start.jobTitle.empty() ? "" : ", " + start.jobTitle);
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
    Result<ChipIdentity> identity = IdentityOfSequence(opened.value->Sequence());
    if (!identity) {
        throw CommandFailure{EXIT_RECORD_FAILED, identity.Err().message};
    }
    start.settings.identity = *identity;
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
