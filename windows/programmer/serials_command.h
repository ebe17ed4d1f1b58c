// zq61prog serials: the next serials a batch would take on a scheme, after what its log has used
// (or on a line's sequence, after what the ledger has handed out), and the scheme's capacity. It
// opens no port and takes nothing: the log and the ledger are only read.
#pragma once

#include <CLI/CLI.hpp>

#include "command_line.h"

// Adds the command and its options to the program's command line.
CLI::App* AddSerialsCommand(CLI::App& app, CommandLine& line);
// After parsing: exactly one scheme, or --sequence (with the ledger's connection, from the
// environment when not given) and no scheme; a CommandFailure (EXIT_BAD_USAGE) otherwise.
void CheckSerialsOptions(const CLI::App& serials, CommandLine& line);
