#include "beside_job.h"
#include "command_options.h"
#include "commands.h"
#include "command_failure.h"
#include "config_jobs.h"
#include "console_output.h"
#include "driver_chip_opener.h"
#include "exit_codes.h"
#include "identity_description.h"
#include "identity_options.h"
#include "job_load.h"
#include "job_result.h"
#include "json_line.h"
#include "lock_consent.h"
#include "port_choice.h"
#include "record_text.h"
#include "serial_fit.h"
#include "status_text.h"
#include "utf_text.h"

namespace {

// The identity the job names, with the board's own --serial, which must fit the job's scheme.
ChipIdentity IdentityOfJob(const Job& job, const CommandLine& line) {
    ChipIdentity identity = job.identity;
    if (!line.identity.serialGiven) {
        return identity;
    }
    identity.serial = line.identity.serial;
    if (FitsScheme(job.serials, line.identity.serial, LoadJobList(job)) != SerialFit::Fits) {
        throw CommandFailure{EXIT_BAD_USAGE, "--serial: " + line.identity.serial +
                                                 " does not fit the job's serials, " +
                                                 ShownScheme(job.serials)};
    }
    return identity;
}

void ReportWrite(const CommandLine& line, const std::string& port, JobOutcome outcome,
                 const ChipIdentity& identity, const std::string& jobId) {
    if (line.json) {
        nlohmann::ordered_json object = {
            {"port", port},
            {"outcome", JobWord(outcome)},
            {"status", StatusText(outcome)},
            {"vid", HexId(identity.vendorId)},
            {"pid", HexId(identity.productId)},
            {"serial", identity.serial ? nlohmann::ordered_json(*identity.serial)
                                       : nlohmann::ordered_json(nullptr)},
            {"product", Utf16ToUtf8(identity.product.value_or(u"")).value_or("")},
            {"lock", identity.lock}};
        if (!jobId.empty()) {
            object["job"] = jobId;
        }
        WriteJsonLine(object);
        return;
    }
    WriteLine(Stream::Out, port + ": " + JobWord(outcome) + " - " + StatusText(outcome));
    WriteLine(Stream::Out,
              "  " + DescribeIdentity(identity) + ", lock " + (identity.lock ? "yes" : "no"));
}

}  // namespace

void AddWriteOptions(CLI::App& command, CommandLine& line) {
    AddPortOption(command, line);
    AddIdentityOptions(command, true, line.identity);
    AddJobOption(command, line.job);
    AddYesFlag(command, line);
    AddJsonFlag(command, line);
}

void CheckWriteOptions(const CLI::App& command, CommandLine& line) {
    line.identity.serialGiven = command.count("--serial") > 0;
    if (!line.job.empty()) {
        // A single write's serial is the board's own, not the job's: --serial stays, and must
        // fit the job's scheme.
        RefuseBesideJob(command, kJobIdentityOptions);
    }
}

int RunWrite(const CommandLine& line) {
    std::string jobId;
    ChipIdentity identity = IdentityOf(line.identity);
    if (!line.job.empty()) {
        Job job = LoadJob(line.job);
        identity = IdentityOfJob(job, line);
        jobId = job.id;
    }
    // Decided before anything is opened: a script that did not say --yes never locks a chip.
    RequireLockConsentPossible(identity.lock, line.yes);
    std::string chosen = ChoosePortForCommand(line.port);
    if (identity.lock && !line.yes) {
        AskLockConsent("the chip on " + chosen, DescribeIdentity(identity));
    }
    Result<RecordPtr> record = BuildRecord(identity);
    if (!record) {
        throw CommandFailure{EXIT_BAD_USAGE, record.Err().message};
    }
    std::string problem;
    std::unique_ptr<OwnedChipPort> port = OpenChipPort(chosen, problem);
    if (!port) {
        throw CommandFailure{EXIT_NO_PORT, problem};
    }
    JobOutcome outcome = WriteAndVerify(*port, **record);
    port.reset();
    ReportWrite(line, chosen, outcome, identity, jobId);
    return JobExitCode(outcome);
}
