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
#include "offline_text.h"
#include "sql_ledger.h"

namespace {

// A leasing station's ledger, once it is open: its words for an outage name what it goes on with.
struct Leasing {
    SqlLedger* ledger = nullptr;
};

void SayConnection(bool connected, const Leasing& leasing) {
    if (leasing.ledger == nullptr) {
        WriteLine(Stream::Err, connected ? "zq61prog: the ledger answers again: chips start again"
                                         : "zq61prog: the ledger does not answer (its connection "
                                           "is lost, or another station holds the sequence): no "
                                           "chip starts until it does");
        return;
    }
    if (connected) {
        WriteLine(Stream::Err,
                  "zq61prog: the ledger answers again: the journal's records go to it, in order");
        return;
    }
    WriteLine(Stream::Err, "zq61prog: " + OfflineSentence(leasing.ledger->LeaseLeft(),
                                                          leasing.ledger->OfflineSince()));
}

}  // namespace

int RunBatch(const CommandLine& line) {
    // A log's lock is known from the options: refused before anything is opened. A sequence's
    // lock is known once the ledger is read.
    RequireLockConsentPossible(line.batch.identity.lock, line.yes);
    Leasing leasing;
    RunStart start =
        StartBatch(line.batch, [&leasing](bool connected) { SayConnection(connected, leasing); });
    if (line.batch.lease > 0) {
        leasing.ledger = dynamic_cast<SqlLedger*>(start.ledger.get());
    }
    RequireLockConsentPossible(start.settings.identity.lock, line.yes);
    if (!start.loginWarning.empty()) {
        WriteLine(Stream::Err, "zq61prog: warning: " + start.loginWarning);
    }
    if (!start.resumedAfter.empty()) {
        WriteLine(Stream::Err, "zq61prog: resuming after " + start.resumedAfter +
                                   ", the last serial the log has used: next is " +
                                   start.ledger->NextSerial());
    }
    if (start.settings.identity.lock && !line.yes) {
        AskLockConsent(
            "every chip of this batch",
            DescribeIdentity(start.settings.identity, SerialsFrom(start.ledger->NextSerial())));
    }

    BatchConsole console(line.json, start.settings.station, start.labeller != nullptr,
                         start.settings.job);
    Batch batch(start.settings, *start.ledger, console);
    std::string next = start.ledger->NextSerial();
    std::string scheme = next.empty() ? "with no serial free now" : "from " + next;
    if (!start.capacity.empty()) {
        scheme += " \u2026 " + start.capacity;
    }
    std::string labels = start.labeller ? ", labels to " + line.batch.printer : std::string();
    WriteLine(Stream::Err, "zq61prog: batch " + scheme + ", " + start.recordName + labels +
                               ": waiting for chips (Ctrl+C stops)");
    BreakGuard breakGuard;
    RunBatchWorkers(batch, console.StopEvent(), BreakRequested);
    // A leasing station's journal written to the ledger before it exits.
    batch.FinishRecords();
    int exitCode = batch.ExitCode();
    if (exitCode == EXIT_RECORD_FAILED) {
        WriteLine(Stream::Err, "zq61prog: " + batch.RecordLossSummary());
    }
    console.Summary(batch.Tally());
    return exitCode;
}
