#include "batch_options.h"

#include "beside_job.h"
#include "printer_target.h"
#include "utf_text.h"
#include "value_checks.h"

void ParseArguments(const std::vector<std::string>& args, CLI::App& app) {
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    app.parse(static_cast<int>(argv.size()), argv.data());
}

void AddSchemeOptions(CLI::App& command, SchemeOptions& options) {
    command
        .add_option("--serial-from", options.serialFrom,
                    "first serial; its trailing digits count up (ZQ000001, ZQ000002, ...)")
        ->type_name("TEXT")
        ->check(Check(CheckSerialFrom));
    command
        .add_option("--serial-format", options.serialFormat,
                    "serials of a format of 8 characters: literals, {YY} {WW} {MM} {DD}, one "
                    "counter {N:k} {X:k} {A:k} {Z:k} (decimal, hex, base 34 without I and O, "
                    "base 36), {C} a check character; e.g. ZQ{YY}{WW}{N:4}")
        ->type_name("FORMAT")
        ->check(Check(CheckSerialFormat));
    command
        .add_option("--utc-offset", options.utcOffset,
                    "the format's dates at this fixed offset from UTC, e.g. +08:00 (default UTC)")
        ->type_name("+HH:MM")
        ->check(Check(CheckUtcOffset));
    command
        .add_option("--serial-list", options.serialList,
                    "serials from a file, in its order: one a line, or a CSV's first column "
                    "(UTF-8)")
        ->type_name("FILE");
}

Status CheckSchemeOptions(const CLI::App& command) {
    int schemes = 0;
    for (const char* scheme : {"--serial-from", "--serial-format", "--serial-list"}) {
        schemes += command.count(scheme) > 0 ? 1 : 0;
    }
    if (schemes != 1) {
        return Fail(
            "exactly one of --serial-from, --serial-format and --serial-list names the serials");
    }
    if (command.count("--utc-offset") > 0 && command.count("--serial-format") == 0) {
        return Fail("--utc-offset goes with --serial-format: only a format has dates");
    }
    return {};
}

void AddLedgerOption(CLI::App& command, std::string& connection) {
    command
        .add_option("--ledger", connection,
                    "a line's shared database, an ODBC connection string (default: ZQ61_LEDGER)")
        ->type_name("CONNECTION");
}

void AddSequenceOption(CLI::App& command, std::string& sequence, const std::string& help) {
    command.add_option("--sequence", sequence, help)->type_name("NAME")->check(Check(CheckName));
}

void AddStationOption(CLI::App& command, std::string& station, const std::string& help) {
    command.add_option("--station", station, help)->type_name("NAME")->check(Check(CheckName));
}

void AddJobOption(CLI::App& command, std::string& job) {
    command
        .add_option("--job", job,
                    "a job file: the identity and the serials every board gets (no identity or "
                    "serial option beside it)")
        ->type_name("FILE");
}

void AddBatchOptions(CLI::App& command, BatchOptions& options) {
    AddJobOption(command, options.job);
    AddSchemeOptions(command, options.scheme);
    command
        .add_option("--log", options.log,
                    "the batch's CSV log, appended; a restart resumes from it")
        ->type_name("FILE");
    AddLedgerOption(command, options.ledger);
    AddSequenceOption(command, options.sequence, "the line's sequence in the ledger");
    AddStationOption(command, options.station,
                     "this station's name in the ledger (default: the computer's name)");
    command
        .add_option("--ports", options.ports,
                    "only these chip ports, e.g. COM3,COM4 (default: every chip port)")
        ->type_name("PORTS")
        ->delimiter(',')
        ->check(Check(CheckPortName));
    command.add_option("--count", options.count, "stop after this many verified chips")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
    command
        .add_option("--reconnect-within", options.reconnectSeconds,
                    "how long a lost ledger is waited for before the batch stops (default 60)")
        ->type_name("SECONDS")
        ->check(CLI::Range(1, 3600));
    command
        .add_option("--lease", options.lease,
                    "lease this many serials ahead to the station, so that its boards go on "
                    "while the ledger does not answer (with --sequence)")
        ->type_name("K")
        ->check(CLI::Range(1, kLeaseMost));
    command
        .add_option("--lease-low", options.leaseLow,
                    "take the next lease when fewer serials than this remain (default K/4; 0: "
                    "only when none is left)")
        ->type_name("L")
        ->check(CLI::Range(0, kLeaseMost));
    command
        .add_option("--journal", options.journal,
                    "a leasing station's journal: its lease and records on disk while the ledger "
                    "does not answer (default: SEQUENCE-STATION.journal in the working folder)")
        ->type_name("FILE");
    AddIdentityOptions(command, false, options.identity);
    command
        .add_option("--label", options.label,
                    "print a label for every verified board, once it is on record: a ZPL "
                    "template with {serial} {vid} {pid} {product} {station} {port} {date} "
                    "{time} {job} (with --printer)")
        ->type_name("TEMPLATE");
    command
        .add_option("--printer", options.printer,
                    "where the labels go: tcp:HOST[:PORT] (raw, port 9100 by default), "
                    "queue:NAME (a Windows printer queue) or folder:DIR")
        ->type_name("TARGET");
}

namespace {

// A label needs both, and the printer's form is known before anything is opened.
Status CheckLabelOptions(const CLI::App& command, const BatchOptions& options) {
    if ((command.count("--label") > 0) != (command.count("--printer") > 0)) {
        return Fail("--label and --printer go together: the template and where its labels go");
    }
    if (command.count("--label") > 0 && options.label.empty()) {
        return Fail("--label: the template's file name is empty");
    }
    if (command.count("--printer") > 0) {
        Result<PrinterTarget> target = ParsePrinterTarget(options.printer);
        if (!target) {
            return Fail(target.Err());
        }
    }
    return {};
}

// A single station's batch: its own log and one scheme (or a job's), nothing of a line's.
Status CheckLogBatchOptions(const CLI::App& command) {
    auto given = [&](const char* name) { return command.count(name) > 0; };
    if (given("--ledger") || given("--station") || given("--reconnect-within") ||
        given("--lease") || given("--lease-low") || given("--journal")) {
        return Fail(
            "--ledger, --station, --reconnect-within, --lease and --journal go with "
            "--sequence");
    }
    if (!given("--log")) {
        return Fail(
            "--log and a serial scheme (a station's own log), or --sequence with --ledger "
            "(a line's shared database), are required");
    }
    if (given("--job")) {
        // The job's own scheme is checked when the file is read.
        if (Status identity = RefuseBesideJob(command, kJobIdentityOptions); !identity) {
            return identity;
        }
        return RefuseBesideJob(command, kJobSchemeOptions);
    }
    return CheckSchemeOptions(command);
}

}  // namespace

Status LedgerOrRefuse(std::string& connection, const std::string& environment,
                      const std::string& who) {
    if (connection.empty()) {
        connection = environment;
    }
    if (connection.empty()) {
        return Fail(who +
                    " needs a ledger: --ledger CONNECTION, or ZQ61_LEDGER in the environment");
    }
    return {};
}

Status CheckBatchOptions(const CLI::App& command, BatchOptions& options,
                         const MachineDefaults& machine) {
    auto given = [&](const char* name) { return command.count(name) > 0; };
    if (Status labels = CheckLabelOptions(command, options); !labels) {
        return labels;
    }
    if (!options.UsesLedger()) {
        return CheckLogBatchOptions(command);
    }
    if (given("--job")) {
        // The job is the sequence's; its lease is the line's, for every station alike.
        if (Status lease = RefuseBesideJob(command, kJobLeaseOptions); !lease) {
            return lease;
        }
    }
    for (const char* scheme :
         {"--log", "--serial-from", "--serial-format", "--utc-offset", "--serial-list"}) {
        if (given(scheme)) {
            return Fail(std::string(scheme) +
                        " does not go with --sequence: the ledger's sequence names the serials");
        }
    }
    for (const char* identity : {"--vid", "--pid", "--product", "--lock"}) {
        if (given(identity)) {
            return Fail(std::string(identity) +
                        " does not go with --sequence: the ledger's sequence names the identity");
        }
    }
    if (Status ledger = LedgerOrRefuse(options.ledger, machine.ledger, "--sequence"); !ledger) {
        return ledger;
    }
    if (options.station.empty()) {
        options.station = machine.computerName;
    }
    if (given("--lease-low") && !given("--lease")) {
        return Fail("--lease-low goes with --lease: the low-water mark of a lease");
    }
    if (options.leaseLow < 0) {
        options.leaseLow = options.lease / 4;
    }
    if (options.leaseLow >= options.lease && options.lease > 0) {
        return Fail("--lease-low " + std::to_string(options.leaseLow) + " is not below --lease " +
                    std::to_string(options.lease) + ": every board would take a new lease");
    }
    return {};
}
