#include "batch_start.h"

#include <algorithm>
#include <optional>

#include "calendar_date.h"
#include "command_failure.h"
#include "exit_codes.h"
#include "label_template.h"
#include "printer_target.h"
#include "job_load.h"
#include "job_options.h"
#include "log_ledger.h"
#include "scheme_start.h"
#include "sequence_identity.h"
#include "sql_ledger.h"
#include "whole_file.h"

namespace {

// The job's identity, serials and label in the options' place, and its id on every record. The
// job keeps its list's and its template's bytes: the batch uses those, never a second read.
Job ApplyJobFile(BatchOptions& options, RunStart& start) {
    Job job = LoadJob(options.job);
    if (job.serials.scheme == JobScheme::None) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "--job: " + options.job +
                                 " names no serials: a batch needs its serial-from, "
                                 "serial-format or serial-list"};
    }
    ApplyJob(job, options.identity, options.scheme);
    if (std::string problem = ApplyJobLease(job, options); !problem.empty()) {
        throw CommandFailure{EXIT_BAD_USAGE, "--job: " + options.job + ": " + problem};
    }
    // A job's label and printer, when it names them; --label and --printer beside a job still
    // choose the station's own printer.
    if (options.label.empty() && options.printer.empty()) {
        options.label = job.label;
        options.printer = job.printer;
    }
    start.settings.job = job.id;
    start.jobTitle = JobTitle(job);
    return job;
}

void StartFromLog(const BatchOptions& options, const std::string* listText, RunStart& start) {
    start.settings.identity = IdentityOf(options.identity);
    // The list is read and checked before the log is opened: a list refused creates no log.
    std::unique_ptr<SerialScheme> serials = StartScheme(options.scheme, listText);
    start.capacity = serials->Capacity();
    start.nextFollowsFromTake =
        options.scheme.serialFormat.empty() && options.scheme.serialList.empty();
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
    start.utcOffset = options.scheme.utcOffset;
    start.ledger = std::move(ledger);
    start.recordName = "log " + options.log + (start.jobTitle.empty() ? "" : ", " + start.jobTitle);
}

// The journal: opened with a lease, and without one only when it is there to replay.
void OpenJournal(const BatchOptions& options, RunStart& start) {
    const std::string path = options.JournalPath();
    const bool there = PathExists(path);
    if (options.lease == 0 && !there) {
        return;
    }
    start.journalFile = std::make_unique<LogFile>();
    if (!start.journalFile->Open(path)) {
        throw CommandFailure{EXIT_BAD_USAGE, "cannot open the journal " + path};
    }
    start.journal = std::make_unique<LeaseJournal>(*start.journalFile, "the journal " + path);
}

// Before any serial is taken: a lease is taken with the first board, after this.
void CheckSequenceJob(const BatchOptions& options, const Job* job,
                      const SequenceDefinition& sequence) {
    if (job == nullptr) {
        return;
    }
    const std::string problem =
        SequenceJobProblem(*job, options.sequence, sequence.job, sequence.jobDigest);
    if (!problem.empty()) {
        throw CommandFailure{EXIT_BAD_USAGE, "--job: " + options.job + ": " + problem};
    }
}

void StartFromDatabase(const BatchOptions& options, const Job* job,
                       const std::function<void(bool connected)>& onConnection, RunStart& start) {
    SqlLedgerOptions sqlOptions;
    sqlOptions.reconnectBound = std::chrono::seconds(options.reconnectSeconds);
    sqlOptions.onConnection = onConnection;
    sqlOptions.lease = options.lease;
    sqlOptions.leaseLow = std::max(options.leaseLow, 0);
    OpenJournal(options, start);
    sqlOptions.journal = start.journal.get();
    auto opened = SqlLedger::Open(options.ledger, options.sequence, options.station,
                                  SerialSequence::At, sqlOptions);
    if (!opened) {
        throw CommandFailure{EXIT_RECORD_FAILED, opened.Err().message};
    }
    CheckSequenceJob(options, job, (*opened)->Sequence());
    Result<ChipIdentity> identity = IdentityOfSequence((*opened)->Sequence());
    if (!identity) {
        throw CommandFailure{EXIT_RECORD_FAILED, identity.Err().message};
    }
    start.settings.identity = *identity;
    start.capacity = (*opened)->Capacity();
    start.nextFollowsFromTake = (*opened)->Sequence().scheme == SequenceScheme::From;
    // A sequence defined from a job carries its id on every record, as a job's batch does.
    start.settings.job = (*opened)->Sequence().job;
    start.loginWarning = (*opened)->LoginWarning();
    start.utcOffset = (*opened)->Sequence().utcOffset;
    start.ledger = std::move(*opened);
    start.recordName =
        "sequence " + options.sequence + " in the ledger, station " + options.station;
    if (!start.jobTitle.empty()) {
        start.recordName += ", " + start.jobTitle;
    }
    if (options.lease > 0) {
        start.recordName +=
            ", leases of " + std::to_string(options.lease) + ", " + start.journal->Name();
    }
}

// The template is read and checked, and the printer made, before the ledger is opened: a
// template refused creates no log. The printer is not reached until the first label.
void StartLabels(const BatchOptions& options, const std::string* labelText, RunStart& start) {
    if (options.label.empty()) {
        return;
    }
    Result<LabelTemplate> label = labelText != nullptr
                                      ? ReadLabelTemplate(options.label, *labelText)
                                      : LoadLabelTemplate(options.label);
    if (!label) {
        throw CommandFailure{EXIT_BAD_USAGE, "--label: " + label.Err().message};
    }
    Result<PrinterTarget> target = ParsePrinterTarget(options.printer);
    if (!target) {
        throw CommandFailure{EXIT_BAD_USAGE, target.Err().message};
    }
    Result<std::unique_ptr<LabelPrinter>> printer = MakeLabelPrinter(*target);
    if (!printer) {
        throw CommandFailure{EXIT_BAD_USAGE, printer.Err().message};
    }
    start.labeller =
        std::make_unique<TemplateLabeller>(std::move(*label), std::move(*printer), options.printer);
    start.settings.labeller = start.labeller.get();
}

}  // namespace

RunStart StartBatch(const BatchOptions& options,
                    const std::function<void(bool connected)>& onConnection) {
    RunStart start;
    start.settings.count = options.count;
    start.settings.ports = options.ports;
    start.settings.station = options.station;
    BatchOptions chosen = options;
    std::optional<Job> job;
    if (!chosen.job.empty()) {
        job = ApplyJobFile(chosen, start);
    }
    const bool jobLabel = job && !job->label.empty() && chosen.label == job->label;
    StartLabels(chosen, jobLabel ? &job->labelText : nullptr, start);
    if (chosen.UsesLedger()) {
        StartFromDatabase(chosen, job ? &*job : nullptr, onConnection, start);
    } else {
        const bool jobList = job && job->serials.scheme == JobScheme::List;
        StartFromLog(chosen, jobList ? &job->listText : nullptr, start);
    }
    if (start.labeller) {
        // A format's dates are taken at its offset: the labels' dates are the same day's.
        start.labeller->UseUtcOffset(ParseUtcOffset(start.utcOffset).value_or(0));
    }
    return start;
}
