#include "batch.h"
#include "batch_console.h"
#include "batch_start.h"
#include "batch_workers.h"
#include "commands.h"
#include "console_break.h"
#include "console_output.h"
#include "exit_codes.h"
#include "identity_description.h"
#include "lock_consent.h"

int RunBatch(const CommandLine& line) {
    RequireLockConsentPossible(line.batch.identity.lock, line.yes);
    // A log that cannot be opened or read stops the batch before any port is opened.
    BatchStart start = StartBatch(line.batch);
    if (!start.ledger->ResumedAfter().empty()) {
        WriteLine(Stream::Err, "zq61prog: resuming after " + start.ledger->ResumedAfter() +
                                   ", the highest serial the log has used: next is " +
                                   start.ledger->NextSerial());
    }
    if (start.settings.identity.lock && !line.yes) {
        AskLockConsent("every chip of this batch",
                       DescribeIdentity(start.settings.identity,
                                        "serials from " + start.ledger->NextSerial()));
    }

    BatchConsole console(line.json);
    Batch batch(start.settings, *start.ledger, console);
    WriteLine(Stream::Err, "zq61prog: batch from " + start.ledger->NextSerial() + ", " +
                               start.recordName + ": waiting for chips (Ctrl+C stops)");
    InstallBreakHandler();
    RunBatchWorkers(batch, console.StopEvent(), BreakRequested);
    int exitCode = batch.ExitCode();
    if (exitCode == EXIT_RECORD_FAILED) {
        WriteLine(Stream::Err, "zq61prog: " + batch.RecordLossSummary());
    }
    console.Summary(batch.Tally());
    return exitCode;
}
