#include "commands.h"
#include "config_jobs.h"
#include "console_output.h"
#include "exit_codes.h"
#include "handle_port.h"
#include "identity_options.h"
#include "identity_text.h"
#include "json_line.h"
#include "lock_consent.h"
#include "outcome_words.h"
#include "port_choice.h"
#include "serial_port.h"
#include "utf_text.h"

namespace {

void ReportWrite(const CommandLine& line, const std::string& port, JobOutcome outcome,
                 const ChipIdentity& identity) {
    std::string product = Utf16ToUtf8(*identity.product).value_or("");
    if (line.json) {
        WriteJsonLine({{"port", port},
                       {"outcome", OutcomeWord(outcome)},
                       {"status", StatusText(outcome)},
                       {"vid", HexId(identity.vendorId)},
                       {"pid", HexId(identity.productId)},
                       {"serial", identity.serial ? nlohmann::ordered_json(*identity.serial)
                                                  : nlohmann::ordered_json(nullptr)},
                       {"product", product},
                       {"lock", identity.lock}});
        return;
    }
    WriteLine(Stream::Out, port + ": " + OutcomeWord(outcome) + " - " + StatusText(outcome));
    WriteLine(Stream::Out,
              "  " + DescribeIdentity(identity) + ", lock " + (identity.lock ? "yes" : "no"));
}

}  // namespace

int RunWrite(const CommandLine& line) {
    ChipIdentity identity = IdentityOf(line);
    // Decided before anything is opened: a script that did not say --yes never locks a chip.
    bool mustAsk = identity.lock && !line.yes;
    if (mustAsk && !InputIsConsole()) {
        WriteRefusal(line.json,
                     "--lock: refused: input is not a console to confirm it on; add --yes");
        return EXIT_BAD_USAGE;
    }
    std::optional<std::string> chosen = ChoosePortForCommand(line.port, line.json);
    if (!chosen) {
        return EXIT_NO_PORT;
    }
    if (mustAsk && !AskLockConsent(*chosen, identity)) {
        WriteRefusal(line.json, "--lock: not confirmed; nothing written");
        return EXIT_BAD_USAGE;
    }
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (!OpenPortForCommand(*chosen, line.json, handle)) {
        return EXIT_NO_PORT;
    }
    HandlePort port(handle);
    RecordPtr record = BuildRecord(identity);
    JobOutcome outcome = WriteAndVerify(port, *record);
    ClosePort(handle);
    ReportWrite(line, *chosen, outcome, identity);
    return ExitCodeFor(outcome);
}
