#include "audit_basis.h"
#include "audit_console.h"
#include "audit_text.h"
#include "chip_read.h"
#include "command_failure.h"
#include "commands.h"
#include "console_output.h"
#include "exit_codes.h"
#include "json_line.h"
#include "record_text.h"
#include "status_text.h"

namespace {

AuditBasis OpenBasis(const CommandLine& line) {
    if (!line.job.empty()) {
        return AuditBasis::FromJob(line.job);
    }
    if (!line.batch.log.empty()) {
        return AuditBasis::FromLog(line.batch.log);
    }
    return AuditBasis::FromSequence(line.batch.ledger, line.batch.sequence, line.batch.station);
}

}  // namespace

int RunAudit(const CommandLine& line) {
    if (line.watch) {
        return RunAuditWatch(line);
    }
    // Opened before the port: a job or a log that cannot be used leaves the board untouched.
    AuditBasis basis = OpenBasis(line);
    ChipRead read = ReadChosenChip(line.port);
    if (read.outcome != JobOutcome::ReadOk) {
        throw CommandFailure{EXIT_FAILED,
                             read.port + ": " + StatusText(read.outcome) + ": nothing to compare"};
    }
    Result<AuditReport> audited = basis.Audit(*read.record);
    if (!audited) {
        throw CommandFailure{EXIT_RECORD_FAILED, audited.Err().message};
    }
    const AuditReport& report = *audited;
    if (basis.LeavesRecord() && !basis.Record(AuditRecord(*read.record, report, read.port))) {
        ReportAudit(line, basis, read.port, report);
        throw CommandFailure{EXIT_RECORD_FAILED,
                             "the audit's record could not be written to the ledger"};
    }
    ReportAudit(line, basis, read.port, report);
    return OutcomeOf(report) == AuditOutcome::Audited ? EXIT_DONE : EXIT_DIFFERS;
}
