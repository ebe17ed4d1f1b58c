#include "command_options.h"

#include "identity_options.h"
#include "value_checks.h"

void AddJsonFlag(CLI::App& command, CommandLine& line) {
    command.add_flag("--json", line.json, "one JSON object per result (JSON Lines, UTF-8)");
}

void AddPortOption(CLI::App& command, CommandLine& line) {
    command.add_option("--port", line.port, "the chip's port, e.g. COM21 (default: the only one)")
        ->type_name("NAME")
        ->check(Check(CheckPortName));
}

void AddYesFlag(CLI::App& command, CommandLine& line) {
    command.add_flag("--yes", line.yes, "confirm --lock without asking (needed off a console)");
}
