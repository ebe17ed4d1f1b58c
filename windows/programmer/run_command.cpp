#include "command_failure.h"
#include "commands.h"
#include "exit_codes.h"

void AddCommandRows(std::span<const Command> table, CLI::App& parent, CommandLine& line) {
    for (const Command& row : table) {
        row.addOptions(*parent.add_subcommand(row.name, row.help), line);
    }
}

void CheckTogether(std::span<const Command> table, const CLI::App& parsed, CommandLine& line) {
    for (const Command& row : table) {
        if (parsed.get_name() == row.name && row.checkTogether != nullptr) {
            row.checkTogether(parsed, line);
        }
    }
}

int RunCommand(std::span<const Command> table, const std::string& name, const CommandLine& line) {
    for (const Command& command : table) {
        if (name == command.name) {
            return command.run(line);
        }
    }
    throw CommandFailure{EXIT_BAD_USAGE, "no command " + name};
}
