#include "command_line.h"

#include <CLI/CLI.hpp>

#include "command_failure.h"
#include "console_output.h"
#include "exit_codes.h"
#include "form_values.h"
#include "json_line.h"
#include "value_checks.h"
#include "zq_version.h"

namespace {

// A CLI11 check from one of ours: CLI11 puts the option's name before the message.
CLI::Validator Check(std::string (*check)(const std::string&)) {
    return CLI::Validator([check](std::string& value) { return check(value); }, "");
}

void AddJson(CLI::App& command, CommandLine& line) {
    command.add_flag("--json", line.json, "one JSON object per result (JSON Lines, UTF-8)");
}

void AddPort(CLI::App& command, CommandLine& line) {
    command.add_option("--port", line.port, "the chip's port, e.g. COM21 (default: the only one)")
        ->type_name("NAME")
        ->check(Check(CheckPortName));
}

void AddIds(CLI::App& command, CommandLine& line) {
    command.add_option("--vid", line.vid, "vendor ID, 1-4 hex digits (default 2E1B)")
        ->type_name("HEX")
        ->check(Check(CheckId));
    command.add_option("--pid", line.pid, "product ID, 1-4 hex digits (default 6C04)")
        ->type_name("HEX")
        ->check(Check(CheckId));
}

void AddProductAndLock(CLI::App& command, CommandLine& line) {
    command
        .add_option("--product", line.product,
                    "product string, 1-18 UTF-16 code units (default \"usb2.0 serial\")")
        ->type_name("TEXT")
        ->check(Check(CheckProduct));
    command.add_flag("--lock", line.lock,
                     "write-protect the chip for ever (asks first; needs --yes off a console)");
    command.add_flag("--yes", line.yes, "confirm --lock without asking");
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
    line.vid = DEFAULT_VID;
    line.pid = DEFAULT_PID;
    line.product = DEFAULT_PRODUCT;

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
    AddIds(*write, line);
    write->add_option("--serial", line.serial, "serial number, 1-8 ASCII characters 0x21-0x7E")
        ->type_name("TEXT")
        ->check(Check(CheckSerial));
    AddProductAndLock(*write, line);
    AddJson(*write, line);

    CLI::App* batch = app.add_subcommand(
        "batch", "program every chip that appears, with sequential serials, logging each");
    batch
        ->add_option("--serial-from", line.serialFrom,
                     "first serial; its trailing digits count up (ZQ000001, ZQ000002, ...)")
        ->type_name("TEXT")
        ->required()
        ->check(Check(CheckSerialFrom));
    batch->add_option("--log", line.log, "the batch's CSV log, appended; a restart resumes from it")
        ->type_name("FILE")
        ->required();
    batch->add_option("--count", line.count, "stop after this many verified chips")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
    AddIds(*batch, line);
    AddProductAndLock(*batch, line);
    AddJson(*batch, line);

    for (CLI::App* command : {list, read, write, batch}) {
        command->footer(EXIT_CODE_TABLE);
    }

    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
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
        throw CommandFailure{EXIT_BAD_USAGE, where + error.what()};
    }
    line.command = app.get_subcommands().front()->get_name();
    line.serialGiven = write->count("--serial") > 0;
    return line;
}
