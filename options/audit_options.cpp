#include "audit_options.h"

#include "identity_options.h"
#include "value_checks.h"

void AddAuditBasisOptions(CLI::App& command, std::string& job, BatchOptions& options) {
    command.add_option("--job", job, "compare with a job file")->type_name("FILE");
    AddSequenceOption(command, options.sequence, "compare with a line's sequence");
    AddLedgerOption(command, options.ledger);
    AddStationOption(command, options.station,
                     "this station's name in the ledger (default: the computer's name)");
}

void AddWatchOptions(CLI::App& command, BatchOptions& options) {
    command
        .add_option("--ports", options.ports,
                    "the chip ports watched, e.g. COM3,COM4 (default: every chip port)")
        ->type_name("PORTS")
        ->delimiter(',')
        ->check(Check(CheckPortName));
    command.add_option("--count", options.count, "stop after this many boards")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
}

Status CheckAuditSequence(const CLI::App& command, BatchOptions& options,
                          const MachineDefaults& machine, const std::string& prefix) {
    if (command.count("--sequence") == 0) {
        if (command.count("--ledger") > 0 || command.count("--station") > 0) {
            return Fail(prefix + "--ledger and --station go with --sequence");
        }
        return {};
    }
    if (Status ledger = LedgerOrRefuse(options.ledger, machine.ledger, prefix + "--sequence");
        !ledger) {
        return ledger;
    }
    if (options.station.empty()) {
        options.station = machine.computerName;
    }
    return {};
}
