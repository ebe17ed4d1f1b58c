#include "batch.h"
#include "batch_console.h"
#include "batch_workers.h"
#include "command_failure.h"
#include "commands.h"
#include "console_break.h"
#include "console_output.h"
#include "exit_codes.h"
#include "identity_description.h"
#include "identity_options.h"
#include "lock_consent.h"
#include "log_file.h"
#include "log_ledger.h"

int RunBatch(const CommandLine& line) {
    BatchSettings settings;
    settings.identity = IdentityOf(line);
    settings.count = line.count;
    RequireLockConsentPossible(settings.identity.lock, line.yes);

    // A log that cannot be opened or read stops the batch before any port is opened.
    LogFile logFile;
    std::string problem = logFile.Open(line.log);
    if (!problem.empty()) {
        throw CommandFailure{EXIT_BAD_USAGE, problem};
    }
    LogLedger ledger(logFile, *SerialSequence::From(line.serialFrom));
    problem = ledger.Open();
    if (!problem.empty()) {
        throw CommandFailure{EXIT_BAD_USAGE, problem};
    }
    if (!ledger.ResumedAfter().empty()) {
        WriteLine(Stream::Err, "zq61prog: resuming after " + ledger.ResumedAfter() +
                                   ", the highest serial the log has used: next is " +
                                   ledger.NextSerial());
    }
    if (settings.identity.lock && !line.yes) {
        AskLockConsent("every chip of this batch",
                       DescribeIdentity(settings.identity, "serials from " + ledger.NextSerial()));
    }

    BatchConsole console(line.json);
    Batch batch(settings, ledger, console);
    WriteLine(Stream::Err, "zq61prog: batch from " + ledger.NextSerial() + ", log " + line.log +
                               ": waiting for chips (Ctrl+C stops)");
    InstallBreakHandler();
    RunBatchWorkers(batch, console.StopEvent());
    int exitCode = batch.ExitCode();
    if (exitCode == EXIT_RECORD_FAILED) {
        WriteLine(Stream::Err, "zq61prog: " + batch.RecordLossSummary());
    }
    console.Summary(batch.Tally());
    return exitCode;
}
