// zq61prog serials: the next serials a batch would take on a scheme, after what its log has used,
// and the scheme's capacity. It opens no port and takes nothing: the log is only read.
#pragma once

#include <CLI/CLI.hpp>

#include "command_line.h"

// Adds the command and its options to the program's command line.
CLI::App* AddSerialsCommand(CLI::App& app, CommandLine& line);
