// zq61prog label: one board's label again, for a serial whose last programming outcome on record
// is verified (a label torn, smudged or never printed), recorded as label-reprinted with the
// reason and the station; or a label's ZPL written to a file to look at, printing nothing.
#pragma once

#include <CLI/CLI.hpp>

#include "command_line.h"

// Adds the command and its options to the program's command line.
CLI::App* AddLabelCommand(CLI::App& app, CommandLine& line);
// After parsing: the options that go together; the ledger and the station from the computer.
void CheckLabelCommand(const CLI::App& command, CommandLine& line);
