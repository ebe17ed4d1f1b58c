#include <mutex>

#include "batch.h"
#include "batch_console.h"
#include "batch_start.h"
#include "batch_workers.h"
#include "command_failure.h"
#include "command_options.h"
#include "commands.h"
#include "console_break.h"
#include "console_output.h"
#include "exit_codes.h"
#include "identity_description.h"
#include "lock_consent.h"
#include "machine_defaults.h"
#include "offline_text.h"
#include "sql_ledger.h"

namespace {

// A leasing station's ledger, once it is open: its words for an outage name what it goes on with.
// Workers tell of the connection and of their boards at once: the notice's state is shared.
struct Leasing {
    SqlLedger* ledger = nullptr;
    std::mutex mutex;
    LeaseRunOutNotice runOut;
};

// The console of a leasing station: after a board, when the outage has used its lease up, the
// reason no board starts, once (the station's banner says it from then on).
class LeasingConsole : public BatchConsole {
public:
    LeasingConsole(Leasing& leasing, bool json, const std::string& station, bool labels,
                   const std::string& job)
        : BatchConsole(json, station, labels, job), leasing_(leasing) {}

    void ChipDone(const ChipReport& report) override {
        BatchConsole::ChipDone(report);
        if (leasing_.ledger == nullptr) {
            return;
        }
        std::lock_guard<std::mutex> hold(leasing_.mutex);
        const std::string usedUp =
            leasing_.runOut.After(leasing_.ledger->LeaseLeft(), leasing_.ledger->OfflineSince());
        if (!usedUp.empty()) {
            WriteLine(Stream::Err, "zq61prog: " + usedUp);
        }
    }

private:
    Leasing& leasing_;
};

void SayConnection(bool connected, Leasing& leasing) {
    if (leasing.ledger == nullptr) {
        WriteLine(Stream::Err, connected ? "zq61prog: the ledger answers again: chips start again"
                                         : "zq61prog: the ledger does not answer (its connection "
                                           "is lost, or another station holds the sequence): no "
                                           "chip starts until it does");
        return;
    }
    std::lock_guard<std::mutex> hold(leasing.mutex);
    if (connected) {
        (void)leasing.runOut.After(0, std::nullopt);  // the outage is over
        WriteLine(Stream::Err,
                  "zq61prog: the ledger answers again: the journal's records go to it, in order");
        return;
    }
    const size_t left = leasing.ledger->LeaseLeft();
    const auto since = leasing.ledger->OfflineSince();
    // A lease already used up is said here, not again after the next board.
    (void)leasing.runOut.After(left, since);
    WriteLine(Stream::Err, "zq61prog: " + OfflineSentence(left, since));
}

// The next free serial for the console's lines; "" when none is free now or the ledger could not
// say, which the lines tell alike.
std::string NextFree(Ledger& ledger) {
    Result<std::optional<std::string>> next = ledger.NextSerial();
    return next && *next ? **next : std::string();
}

}  // namespace

void AddBatchCommandOptions(CLI::App& command, CommandLine& line) {
    AddBatchOptions(command, line.batch);
    AddYesFlag(command, line);
    AddJsonFlag(command, line);
}

void CheckBatchCommand(const CLI::App& command, CommandLine& line) {
    ThrowIfRefused(CheckBatchOptions(command, line.batch, ThisMachine()));
}

int RunBatch(const CommandLine& line) {
    // A log's lock is known from the options: refused before anything is opened. A sequence's
    // lock is known once the ledger is read.
    RequireLockConsentPossible(line.batch.identity.lock, line.yes);
    Leasing leasing;
    RunStart start =
        StartBatch(line.batch, [&leasing](bool connected) { SayConnection(connected, leasing); });
    // A lease the options or the job name, or a journal left to replay: as the station's banner.
    if (start.journal != nullptr) {
        leasing.ledger = dynamic_cast<SqlLedger*>(start.ledger.get());
    }
    RequireLockConsentPossible(start.settings.identity.lock, line.yes);
    if (!start.loginWarning.empty()) {
        WriteLine(Stream::Err, "zq61prog: warning: " + start.loginWarning);
    }
    if (!start.resumedAfter.empty()) {
        WriteLine(Stream::Err, "zq61prog: resuming after " + start.resumedAfter +
                                   ", the last serial the log has used: next is " +
                                   NextFree(*start.ledger));
    }
    if (start.settings.identity.lock && !line.yes) {
        AskLockConsent(
            "every chip of this batch",
            DescribeIdentity(start.settings.identity, SerialsFrom(NextFree(*start.ledger))));
    }

    LeasingConsole console(leasing, line.json, start.settings.station, start.labeller != nullptr,
                           start.settings.job);
    Batch batch(start.settings, *start.ledger, console);
    std::string next = NextFree(*start.ledger);
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
