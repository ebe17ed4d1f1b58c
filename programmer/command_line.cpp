#include "command_line.h"

#include <CLI/CLI.hpp>

#include "command_failure.h"
#include "parse_error_text.h"
#include "console_output.h"
#include "exit_codes.h"
#include "identity_options.h"
#include "machine_defaults.h"
#include "json_line.h"
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
    app.set_version_flag("--version", ZQ_VERSION_TEXT);
    app.footer(EXIT_CODE_TABLE);
    app.require_subcommand(1);

    CLI::App* list = app.add_subcommand("list", "list the chip ports, one per line");
    AddJson(*list, line);

    CLI::App* read = app.add_subcommand("read", "read a chip's configuration");
    AddPort(*read, line);
    AddJson(*read, line);

    CLI::App* write = app.add_subcommand("write", "write an identity, read it back and compare");
    AddPort(*write, line);
    AddIdentityOptions(*write, true, line.identity);
    AddYes(*write, line);
    AddJson(*write, line);

    CLI::App* batch = app.add_subcommand(
        "batch", "program every chip that appears, with sequential serials, logging each");
    AddBatchOptions(*batch, line.batch);
    AddYes(*batch, line);
    AddJson(*batch, line);

    CLI::App* ledger = app.add_subcommand(
        "ledger", "a line's shared database: its tables, a sequence, the report, the export");
    ledger->require_subcommand(1);
    CLI::App* init = ledger->add_subcommand("init", "create the ledger's tables when missing");
    CLI::App* sequence = ledger->add_subcommand(
        "sequence", "define a line's job: the first serial and the identity every station writes");
    CLI::App* report = ledger->add_subcommand(
        "report", "counts per outcome and station, the highest serial, serials not verified");
    CLI::App* exported =
        ledger->add_subcommand("export", "every record of a sequence as CSV, with its station");
    for (CLI::App* command : {init, sequence, report, exported}) {
        command
            ->add_option("--ledger", line.ledger.connection,
                         "an ODBC connection string (default: ZQ61_LEDGER)")
            ->type_name("CONNECTION");
    }
    sequence->add_option("--name", line.ledger.sequence, "the sequence's name")
        ->type_name("NAME")
        ->required()
        ->check(Check(CheckName));
    sequence
        ->add_option("--serial-from", line.ledger.serialFrom,
                     "first serial; its trailing digits count up (ZQ000001, ZQ000002, ...)")
        ->type_name("TEXT")
        ->required()
        ->check(Check(CheckSerialFrom));
    AddIdentityOptions(*sequence, false, line.identity);
    AddYes(*sequence, line);
    for (CLI::App* command : {report, exported}) {
        command->add_option("--sequence", line.ledger.sequence, "the sequence's name")
            ->type_name("NAME")
            ->required()
            ->check(Check(CheckName));
    }
    for (CLI::App* command : {init, sequence, report}) {
        AddJson(*command, line);
    }

    for (CLI::App* command : {list, read, write, batch, ledger, init, sequence, report, exported}) {
        command->footer(EXIT_CODE_TABLE);
    }

    try {
        ParseArguments(args, app);
    } catch (const CLI::CallForHelp&) {
        // The help of the command asked about, or of the program.
        line.output = app.help();
        return line;
    } catch (const CLI::CallForVersion&) {
        line.output = std::string(ZQ_VERSION_TEXT) + "\n";
        return line;
    } catch (const CLI::ParseError& error) {
        std::string where =
            app.get_subcommands().empty() ? "" : app.get_subcommands().front()->get_name() + ": ";
        throw CommandFailure{EXIT_BAD_USAGE, where + ScrubbedParseError(error.what(), args)};
    }
    line.command = app.get_subcommands().front()->get_name();
    if (line.command == "batch") {
        CheckBatchOptions(*batch, line.batch, ThisMachine());
    }
    if (line.command == "ledger") {
        line.ledger.command = ledger->get_subcommands().front()->get_name();
        if (line.ledger.connection.empty()) {
            line.ledger.connection = ThisMachine().ledger;
        }
        if (line.ledger.connection.empty()) {
            throw CommandFailure{EXIT_BAD_USAGE,
                                 "ledger: --ledger CONNECTION, or ZQ61_LEDGER in the environment, "
                                 "is required"};
        }
    }
    line.identity.serialGiven = write->count("--serial") > 0;
    return line;
}
