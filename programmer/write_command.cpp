#include "commands.h"
#include "command_failure.h"
#include "config_jobs.h"
#include "console_output.h"
#include "driver_chip_opener.h"
#include "exit_codes.h"
#include "identity_description.h"
#include "identity_options.h"
#include "job_result.h"
#include "json_line.h"
#include "lock_consent.h"
#include "port_choice.h"
#include "record_text.h"
#include "status_text.h"
#include "utf_text.h"

namespace {

void ReportWrite(const CommandLine& line, const std::string& port, JobOutcome outcome,
                 const ChipIdentity& identity) {
    if (line.json) {
        WriteJsonLine({{"port", port},
                       {"outcome", JobWord(outcome)},
                       {"status", StatusText(outcome)},
                       {"vid", HexId(identity.vendorId)},
                       {"pid", HexId(identity.productId)},
                       {"serial", identity.serial ? nlohmann::ordered_json(*identity.serial)
                                                  : nlohmann::ordered_json(nullptr)},
                       {"product", Utf16ToUtf8(identity.product.value_or(u"")).value_or("")},
                       {"lock", identity.lock}});
        return;
    }
    WriteLine(Stream::Out, port + ": " + JobWord(outcome) + " - " + StatusText(outcome));
    WriteLine(Stream::Out,
              "  " + DescribeIdentity(identity) + ", lock " + (identity.lock ? "yes" : "no"));
}

}  // namespace

int RunWrite(const CommandLine& line) {
    ChipIdentity identity = IdentityOf(line.identity);
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
    ReportWrite(line, chosen, outcome, identity);
    return JobExitCode(outcome);
}
