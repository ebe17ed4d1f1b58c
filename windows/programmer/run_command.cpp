#include "command_failure.h"
#include "commands.h"
#include "exit_codes.h"

int RunCommand(std::span<const Command> table, const std::string& name, const CommandLine& line) {
    for (const Command& command : table) {
        if (name == command.name) {
            return command.run(line);
        }
    }
    throw CommandFailure{EXIT_BAD_USAGE, "no command " + name};
}
