#include "command_line.h"

#include <CLI/CLI.hpp>

#include "audit_options.h"
#include "beside_job.h"
#include "command_failure.h"
#include "parse_error_text.h"
#include "console_output.h"
#include "exit_codes.h"
#include "identity_options.h"
#include "machine_defaults.h"
#include "whole_file.h"
#include "json_line.h"
#include "label_command.h"
#include "report_command.h"
#include "serials_command.h"
#include "value_checks.h"
#include "zq_version.h"

namespace {

void AddJson(CLI::App& command, CommandLine& line) {
    command.add_flag("--json", line.json, "one JSON object per result (JSON Lines, UTF-8)");
}

void AddPort(CLI::App& command, CommandLine& line) {
    command.add_option("--port", line.port, "the chip's port, e.g. COM21 (default: the only one)")
        ->type_name("NAME")
        ->check(Check(CheckPortName));
}

void AddYes(CLI::App& command, CommandLine& line) {
    command.add_flag("--yes", line.yes, "confirm --lock without asking (needed off a console)");
}

void AddLedgerConnection(CLI::App& command, CommandLine& line) {
    AddLedgerOption(command, line.ledger.connection);
}

void AddSequenceName(CLI::App& command, std::string& name, const char* option) {
    command.add_option(option, name, "the sequence's name")
        ->type_name("NAME")
        ->required()
        ->check(Check(CheckName));
}

// Every command defined at this level; get_subcommands() without a filter gives only those the
// arguments named.
std::vector<CLI::App*> CommandsAt(CLI::App& level) {
    return level.get_subcommands(std::function<bool(CLI::App*)>());
}

// The commands whose values are looked at once the arguments are read.
struct CommandApps {
    CLI::App* audit;
    CLI::App* capture;
    CLI::App* write;
    CLI::App* batch;
    CLI::App* serials;
    CLI::App* ledger;
    CLI::App* label;
};

// audit: reads a chip, never writes it, and compares it with its job or its record.
CLI::App* AddAuditCommand(CLI::App& app, CommandLine& line) {
    CLI::App* audit = app.add_subcommand(
        "audit", "read a chip (never write it) and compare it with its job or its record");
    AddPort(*audit, line);
    AddAuditBasisOptions(*audit, line.job, line.batch);
    audit->add_option("--log", line.batch.log, "compare with a station's log")->type_name("FILE");
    audit->add_flag("--watch", line.watch, "audit every board that appears, one worker per port");
    AddWatchOptions(*audit, line.batch);
    AddJson(*audit, line);
    return audit;
}

// list, read, write, batch and serials: the commands that reach chips or their serials.
CommandApps AddChipCommands(CLI::App& app, CommandLine& line) {
    CLI::App* list = app.add_subcommand("list", "list the chip ports, one per line");
    AddJson(*list, line);

    CLI::App* read = app.add_subcommand("read", "read a chip's configuration");
    AddPort(*read, line);
    AddJson(*read, line);

    CLI::App* write = app.add_subcommand("write", "write an identity, read it back and compare");
    AddPort(*write, line);
    AddIdentityOptions(*write, true, line.identity);
    AddJobOption(*write, line.job);
    AddYes(*write, line);
    AddJson(*write, line);

    CLI::App* batch = app.add_subcommand(
        "batch", "program every chip that appears, with sequential serials, logging each");
    AddBatchOptions(*batch, line.batch);
    AddYes(*batch, line);
    AddJson(*batch, line);

    CLI::App* serials = AddSerialsCommand(app, line);
    CLI::App* capture = app.add_subcommand(
        "capture",
        "read a known-good board and write a job file of its identity (never its serial)");
    AddPort(*capture, line);
    capture->add_option("--out", line.out, "the job file to write")->type_name("FILE")->required();
    AddSchemeOptions(*capture, line.batch.scheme);
    capture->add_flag("--force", line.force, "replace the job file when it exists");
    AddJson(*capture, line);
    return {AddAuditCommand(app, line), capture, write, batch, serials, nullptr, nullptr};
}

// ledger lease: the serials leased ahead to stations.
void AddLeaseCommands(CLI::App& ledger, CommandLine& line) {
    CLI::App* lease =
        ledger.add_subcommand("lease", "serials leased ahead to stations: list them, release them");
    lease->require_subcommand(1);
    CLI::App* list = lease->add_subcommand(
        "list", "per station and sequence: serials leased, used, unused and released");
    CLI::App* release = lease->add_subcommand(
        "release", "a retired station's unused leased serials released, never to be written");
    for (CLI::App* command : {list, release}) {
        AddLedgerConnection(*command, line);
        command->add_option("--sequence", line.ledger.sequence, "only this sequence's leases")
            ->type_name("NAME")
            ->check(Check(CheckName));
    }
    release->add_option("--station", line.ledger.station, "the station whose leases end")
        ->type_name("NAME")
        ->required()
        ->check(Check(CheckName));
    AddJson(*list, line);
    AddJson(*release, line);
}

// ledger and its commands: a line's shared database.
CLI::App* AddLedgerCommands(CLI::App& app, CommandLine& line) {
    CLI::App* ledger = app.add_subcommand(
        "ledger", "a line's shared database: its tables, a sequence, the report, the export");
    ledger->require_subcommand(1);
    CLI::App* init = ledger->add_subcommand("init", "create the ledger's tables when missing");
    CLI::App* grant = ledger->add_subcommand(
        "grant", "give a login a role's privileges on the ledger (with the owner's connection)");
    CLI::App* sequence = ledger->add_subcommand(
        "sequence", "define a line's job: the serials and the identity every station writes");
    CLI::App* import =
        ledger->add_subcommand("import", "add serials to a list sequence, all or nothing");
    CLI::App* report = ledger->add_subcommand(
        "report",
        "counts per outcome and station, the highest serial, serials not verified; per hour or "
        "day: yield, failures, labels to reprint");
    CLI::App* exported =
        ledger->add_subcommand("export", "every record of a sequence as CSV, with its station");
    for (CLI::App* command : {init, grant, sequence, import, report, exported}) {
        AddLedgerConnection(*command, line);
    }
    grant->add_option("role", line.ledger.role, "station, engineer or auditor")
        ->required()
        ->check(CLI::IsMember({"station", "engineer", "auditor"}));
    grant
        ->add_option("user", line.ledger.user,
                     "the login, as the server names it (MariaDB: name or name@host)")
        ->required();
    AddSequenceName(*sequence, line.ledger.sequence, "--name");
    AddSchemeOptions(*sequence, line.ledger.scheme);
    sequence
        ->add_option("--job", line.ledger.job,
                     "a job file: its identity and serials define the sequence, which keeps its id")
        ->type_name("FILE");
    AddIdentityOptions(*sequence, false, line.identity);
    AddYes(*sequence, line);
    for (CLI::App* command : {import, report, exported}) {
        AddSequenceName(*command, line.ledger.sequence, "--sequence");
    }
    import
        ->add_option("--file", line.ledger.file,
                     "the serials: one a line, or a CSV's first column (UTF-8)")
        ->type_name("FILE")
        ->required();
    for (CLI::App* command : {init, grant, sequence, import, report}) {
        AddJson(*command, line);
    }
    AddLeaseCommands(*ledger, line);
    AddPeriodOptions(*report, line);
    return ledger;
}

// Every command's options, each command's help ending with the exit codes.
CommandApps AddCommands(CLI::App& app, CommandLine& line) {
    app.set_version_flag("--version", ZQ_VERSION_TEXT);
    app.require_subcommand(1);
    CommandApps apps = AddChipCommands(app, line);
    apps.ledger = AddLedgerCommands(app, line);
    apps.label = AddLabelCommand(app, line);
    AddReportCommands(app, line);
    std::vector<CLI::App*> levels = {&app};
    while (!levels.empty()) {
        CLI::App* level = levels.back();
        levels.pop_back();
        level->footer(EXIT_CODE_TABLE);
        for (CLI::App* command : CommandsAt(*level)) {
            levels.push_back(command);
        }
    }
    return apps;
}

// The first argument that is not an option names the command, at each level that has commands.
// One that names none of them is refused here: CLI11 would only say that a subcommand is
// required.
void RefuseUnknownCommand(CLI::App& app, const std::vector<std::string>& args) {
    CLI::App* level = &app;
    std::string where;
    for (size_t i = 1; i < args.size() && !CommandsAt(*level).empty(); i++) {
        if (args[i].empty() || args[i][0] == '-') {
            continue;
        }
        std::vector<CLI::App*> named =
            level->get_subcommands([&](CLI::App* command) { return command->check_name(args[i]); });
        if (named.empty()) {
            std::string commands;
            for (CLI::App* command : CommandsAt(*level)) {
                commands += (commands.empty() ? "" : ", ") + command->get_name();
            }
            throw CommandFailure{EXIT_BAD_USAGE, where + "unknown command \"" + args[i] +
                                                     "\"; the commands are " + commands};
        }
        level = named.front();
        where += level->get_name() + ": ";
    }
}

// A refusal of the arguments, naming the command it concerns.
// CLI11 quotes the value it refused, and a mistyped option's value may be a connection string:
// the text is scrubbed of passwords before anyone sees it.
CommandFailure UsageFailure(const CLI::App& app, const CLI::ParseError& error,
                            const std::vector<std::string>& args) {
    std::string where =
        app.get_subcommands().empty() ? "" : app.get_subcommands().front()->get_name() + ": ";
    return CommandFailure{EXIT_BAD_USAGE, where + ScrubbedParseError(error.what(), args)};
}

// A sequence's serials: from a job file, or from exactly one scheme and the identity's options.
void CheckSequenceOptions(const CLI::App& sequence, const CommandLine& line) {
    if (line.ledger.job.empty()) {
        CheckSchemeOptions(sequence);
        return;
    }
    RefuseBesideJob(sequence, kJobIdentityOptions);
    RefuseBesideJob(sequence, kJobSchemeOptions);
}

// At most one scheme (a job may name none), and a file replaced only when asked: both known
// before the port is opened.
void CheckCaptureOptions(const CLI::App& capture, const CommandLine& line) {
    int schemes = 0;
    for (const char* scheme : {"--serial-from", "--serial-format", "--serial-list"}) {
        schemes += capture.count(scheme) > 0 ? 1 : 0;
    }
    if (schemes > 1) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "capture: at most one of --serial-from, --serial-format and "
                             "--serial-list names the job's serials"};
    }
    if (capture.count("--utc-offset") > 0 && capture.count("--serial-format") == 0) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "capture: --utc-offset goes with --serial-format: only a format has "
                             "dates"};
    }
    if (!line.force && PathExists(line.out)) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "capture: --out: " + line.out + " exists; --force replaces it"};
    }
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
    CheckAuditSequence(audit, line.batch, ThisMachine(), "audit: ");
}

// The values that only make sense together, and the ledger's connection from the environment.
void CheckTogether(const CommandApps& apps, CommandLine& line) {
    if (line.command == "batch") {
        CheckBatchOptions(*apps.batch, line.batch, ThisMachine());
    }
    if (line.command == "label") {
        CheckLabelCommand(*apps.label, line);
    }
    if (line.command == "serials") {
        CheckSerialsOptions(*apps.serials, line);
    }
    if (line.command == "audit") {
        CheckAuditOptions(*apps.audit, line);
    }
    if (line.command == "capture") {
        CheckCaptureOptions(*apps.capture, line);
    }
    if (line.command == "report" || line.command == "trace") {
        CheckReportOptions(*apps.ledger->get_parent(), line);
    }
    if (line.command == "ledger") {
        line.ledger.command = apps.ledger->get_subcommands().front()->get_name();
        if (line.ledger.command == "lease") {
            line.ledger.lease =
                apps.ledger->get_subcommands().front()->get_subcommands().front()->get_name();
        }
        if (line.ledger.command == "report") {
            CheckReportOptions(*apps.ledger->get_parent(), line);
        }
        if (line.ledger.command == "sequence") {
            CheckSequenceOptions(*apps.ledger->get_subcommands().front(), line);
        }
        LedgerOrRefuse(line.ledger.connection, ThisMachine().ledger,
                       "ledger: " + line.ledger.command);
    }
    line.identity.serialGiven = apps.write->count("--serial") > 0;
    if (line.command == "write" && !line.job.empty()) {
        // A single write's serial is the board's own, not the job's: --serial stays, and must
        // fit the job's scheme.
        RefuseBesideJob(*apps.write, kJobIdentityOptions);
    }
}

}  // namespace

bool WantsJson(const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size(); i++) {
        if (args[i] == "--json") {
            return true;
        }
    }
    return false;
}

void WriteRefusal(bool json, const std::string& message) {
    if (json) {
        WriteJsonLine({{"outcome", "error"}, {"error", message}});
    } else {
        WriteLine(Stream::Err, "zq61prog: " + message);
    }
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    CLI::App app("Programs the USB identity of ZQ61 chips: for scripts and production lines.",
                 "zq61prog");
    CommandApps apps = AddCommands(app, line);
    try {
        RefuseUnknownCommand(app, args);
        ParseArguments(args, app);
    } catch (const CLI::CallForHelp&) {
        // The help of the command asked about, or of the program.
        line.output = app.help();
        return line;
    } catch (const CLI::CallForVersion&) {
        line.output = std::string(ZQ_VERSION_TEXT) + "\n";
        return line;
    } catch (const CLI::ParseError& error) {
        throw UsageFailure(app, error, args);
    }
    line.command = app.get_subcommands().front()->get_name();
    CheckTogether(apps, line);
    return line;
}
