#include "audit_basis.h"
#include "audit_console.h"
#include "audit_text.h"
#include "chip_read.h"
#include "command_failure.h"
#include "audit_options.h"
#include "command_options.h"
#include "commands.h"
#include "console_output.h"
#include "exit_codes.h"
#include "json_line.h"
#include "machine_defaults.h"
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

void AddAuditOptions(CLI::App& command, CommandLine& line) {
    AddPortOption(command, line);
    AddAuditBasisOptions(command, line.job, line.batch);
    command.add_option("--log", line.batch.log, "compare with a station's log")->type_name("FILE");
    command.add_flag("--watch", line.watch, "audit every board that appears, one worker per port");
    AddWatchOptions(command, line.batch);
    AddJsonFlag(command, line);
}

// Exactly one thing to compare with; the ledger's options with a sequence only, the watch's
// with --watch only.
void CheckAuditOptions(const CLI::App& audit, CommandLine& line) {
    auto given = [&](const char* name) { return audit.count(name) > 0; };
    int bases = (given("--job") ? 1 : 0) + (given("--log") ? 1 : 0) + (given("--sequence") ? 1 : 0);
    auto refuse = [](const std::string& message) {
        throw CommandFailure{EXIT_BAD_USAGE, "audit: " + message};
    };
    if (bases != 1) {
        refuse("exactly one of --job, --log and --sequence names what the chip is compared with");
    }
    if (line.watch && given("--log")) {
        refuse("--watch goes with --job or --sequence");
    }
    if (line.watch && given("--port")) {
        refuse("--port does not go with --watch: --ports names the ports watched");
    }
    if (!line.watch && (given("--ports") || given("--count"))) {
        refuse("--ports and --count go with --watch");
    }
    ThrowIfRefused(CheckAuditSequence(audit, line.batch, ThisMachine(), "audit: "));
}

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
