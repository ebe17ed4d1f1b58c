// An audit station on the console: every board that appears on the watched ports is read and
// compared, one worker per port as a batch runs them, until Ctrl+C or --count boards.
#include "audit_basis.h"
#include "audit_console.h"
#include "audit_turns.h"
#include "batch_workers.h"
#include "commands.h"
#include "console_break.h"
#include "console_output.h"
#include "json_line.h"

namespace {

void Say(const CommandLine& line, const std::string& text) {
    if (line.json) {
        WriteJsonLine({{"outcome", "error"}, {"error", text}});
    } else {
        WriteLine(Stream::Err, "zq61prog: " + text);
    }
}

}  // namespace

int RunAuditWatch(const CommandLine& line) {
    AuditBasis basis =
        !line.job.empty()
            ? AuditBasis::FromJob(line.job)
            : AuditBasis::FromSequence(line.batch.ledger, line.batch.sequence, line.batch.station);
    WriteLine(Stream::Err,
              "zq61prog: audit against " + basis.Against() + ": waiting for boards (Ctrl+C stops)");
    AuditTurns::News news;
    // Told under the turns' lock: the console's lines of one board never mix with another's.
    news.audited = [&](const std::string& port, const AuditReport* report,
                       const std::string& problem) {
        if (report == nullptr) {
            Say(line, port + ": " + problem);
        } else {
            ReportAudit(line, basis, port, *report);
        }
    };
    news.stopping = [&](const std::string& reason) {
        if (!reason.empty()) {
            Say(line, reason);
        }
    };
    AuditTurns turns(basis, line.batch.ports, line.batch.count, news);
    BreakGuard breakGuard;
    RunChipWorkers(turns.Turns(), turns.StopEvent(), BreakRequested);
    AuditTally tally = turns.Tally();
    if (line.json) {
        WriteJsonLine({{"summary",
                        {{"audited", tally.audited},
                         {"audit-mismatch", tally.mismatched},
                         {"read-failed", tally.readFailed}}}});
    } else {
        WriteLine(Stream::Out, "summary: " + tally.Summary());
    }
    return turns.ExitCode();
}
