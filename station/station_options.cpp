#include "station_options.h"

#include <CLI/CLI.hpp>

#include "command_failure.h"
#include "exit_codes.h"
#include "parse_error_text.h"
#include "machine_defaults.h"
#include "zq_version.h"

StationCommand ParseStationCommand(const std::vector<std::string>& args) {
    StationCommand command;
    CLI::App app(
        "A production station: programs every ZQ61 chip plugged in, with sequential "
        "serials, and shows each port's result from across the bench. Started "
        "without options, it asks for them. It exits as zq61prog batch does; Stop "
        "and closing the window stop it as Ctrl+C stops zq61prog (exit 130).",
        "zq61station");
    app.set_version_flag("--version", ZQ_VERSION_TEXT);
    AddBatchOptions(app, command.options);
    try {
        ParseArguments(args, app);
    } catch (const CLI::CallForHelp&) {
        command.output = app.help();
    } catch (const CLI::CallForVersion&) {
        command.output = std::string("zq61station ") + ZQ_VERSION_TEXT;
    } catch (const CLI::ParseError& error) {
        throw CommandFailure{EXIT_BAD_USAGE, ScrubbedParseError(error.what(), args)};
    }
    if (command.output.empty()) {
        CheckBatchOptions(app, command.options, ThisMachine());
    }
    return command;
}
