#include "command_line.h"

#include <CLI/CLI.hpp>

#include "command_failure.h"
#include "commands.h"
#include "parse_error_text.h"
#include "console_output.h"
#include "exit_codes.h"
#include "json_line.h"
#include "zq_version.h"

namespace {

// Every command defined at this level; get_subcommands() without a filter gives only those the
// arguments named.
std::vector<CLI::App*> CommandsAt(CLI::App& level) {
    return level.get_subcommands(std::function<bool(CLI::App*)>());
}

// Every command's options, each command's help ending with the exit codes.
void AddCommands(CLI::App& app, CommandLine& line) {
    app.set_version_flag("--version", ZQ_VERSION_TEXT);
    app.require_subcommand(1);
    AddCommandRows(kCommands, app, line);
    std::vector<CLI::App*> levels = {&app};
    while (!levels.empty()) {
        CLI::App* level = levels.back();
        levels.pop_back();
        level->footer(EXIT_CODE_TABLE);
        for (CLI::App* command : CommandsAt(*level)) {
            levels.push_back(command);
        }
    }
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
    AddCommands(app, line);
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
    const CLI::App& command = *app.get_subcommands().front();
    line.command = command.get_name();
    CheckTogether(kCommands, command, line);
    return line;
}
