// An audit station on the console: every board that appears on the watched ports is read and
// compared, one worker per port as a batch runs them, until Ctrl+C or --count boards.
#include <algorithm>
#include <mutex>

#include "audit_basis.h"
#include "audit_console.h"
#include "audit_tally.h"
#include "audit_text.h"
#include "batch_workers.h"
#include "command_failure.h"
#include "commands.h"
#include "config_jobs.h"
#include "console_break.h"
#include "console_output.h"
#include "exit_codes.h"
#include "json_line.h"
#include "scoped_win.h"
#include "status_text.h"

namespace {

class AuditWatch {
public:
    AuditWatch(const CommandLine& line, AuditBasis& basis)
        : line_(line), basis_(basis), stopped_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

    ChipTurns Turns() {
        return {[this] { return Stopping(); },
                [this](const std::string& port) { return Takes(port); },
                [this](const std::string& port, ChipOpener& opener) { Turn(port, opener); },
                [this](const std::string& reason, int exitCode) { Stop(reason, exitCode); }};
    }
    HANDLE StopEvent() const { return stopped_.Get(); }

    int Finish() {
        std::lock_guard<std::mutex> hold(mutex_);
        if (line_.json) {
            WriteJsonLine({{"summary",
                            {{"audited", tally_.audited},
                             {"audit-mismatch", tally_.mismatched},
                             {"read-failed", tally_.readFailed}}}});
        } else {
            WriteLine(Stream::Out, "summary: " + tally_.Summary());
        }
        return exitCode_ != 0 ? exitCode_ : tally_.ExitCode();
    }

private:
    bool Stopping() {
        std::lock_guard<std::mutex> hold(mutex_);
        return stopping_;
    }

    // Only the ports it is told to watch. Called for every port that appears, chip port or not.
    bool Takes(const std::string& port) const {
        return line_.batch.ports.empty() ||
               std::find(line_.batch.ports.begin(), line_.batch.ports.end(), port) !=
                   line_.batch.ports.end();
    }

    // A board's turn once --count boards have had theirs: left as it is, unread.
    bool Counted() {
        std::lock_guard<std::mutex> hold(mutex_);
        if (line_.batch.count > 0 && started_ >= line_.batch.count) {
            return true;
        }
        started_++;
        return false;
    }

    void Turn(const std::string& port, ChipOpener& opener) {
        if (Counted()) {
            return;
        }
        std::string problem;
        std::unique_ptr<BytePort> open = opener.Open(port, problem);
        RecordPtr chip = NewRecord();
        bool read = open != nullptr && ReadChip(*open, *chip) == JobOutcome::ReadOk;
        open.reset();
        AuditReport report;
        if (read) {
            Result<AuditReport> audited = basis_.Audit(*chip);
            read = audited.Ok();
            if (audited) {
                report = *audited;
            } else {
                problem = audited.Err().message;
            }
        }
        bool recorded =
            !read || !basis_.Records() || basis_.Record(AuditRecord(*chip, report, port));
        std::lock_guard<std::mutex> hold(mutex_);
        if (!read) {
            tally_.readFailed++;
            Say(port + ": " + (problem.empty() ? StatusText(JobOutcome::ReadFailed) : problem));
        } else {
            (OutcomeOf(report) == AuditOutcome::Audited ? tally_.audited : tally_.mismatched)++;
            ReportAudit(line_, basis_, port, report);
        }
        if (!recorded) {
            StopLocked("the audit's record could not be written to the ledger: the audit stops",
                       EXIT_RECORD_FAILED);
        } else if (line_.batch.count > 0 && tally_.Boards() >= line_.batch.count) {
            StopLocked("", 0);
        }
    }

    void Stop(const std::string& reason, int exitCode) {
        std::lock_guard<std::mutex> hold(mutex_);
        StopLocked(reason, exitCode);
    }

    void StopLocked(const std::string& reason, int exitCode) {
        if (!stopping_ || exitCode_ == 0) {
            exitCode_ = exitCode;
        }
        stopping_ = true;
        if (!reason.empty()) {
            Say(reason);
        }
        SetEvent(stopped_.Get());
    }

    void Say(const std::string& text) {
        if (line_.json) {
            WriteJsonLine({{"outcome", "error"}, {"error", text}});
        } else {
            WriteLine(Stream::Err, "zq61prog: " + text);
        }
    }

    const CommandLine& line_;
    AuditBasis& basis_;
    win32::AutoCloseHandle stopped_;
    std::mutex mutex_;  // everything below, and the console's lines
    AuditTally tally_;
    int started_ = 0;
    bool stopping_ = false;
    int exitCode_ = 0;
};

}  // namespace

int RunAuditWatch(const CommandLine& line) {
    AuditBasis basis =
        !line.job.empty()
            ? AuditBasis::FromJob(line.job)
            : AuditBasis::FromSequence(line.batch.ledger, line.batch.sequence, line.batch.station);
    WriteLine(Stream::Err,
              "zq61prog: audit against " + basis.Against() + ": waiting for boards (Ctrl+C stops)");
    AuditWatch watch(line, basis);
    BreakGuard breakGuard;
    RunChipWorkers(watch.Turns(), watch.StopEvent(), BreakRequested);
    return watch.Finish();
}
