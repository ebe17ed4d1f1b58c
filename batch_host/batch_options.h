// A batch's options, the same for every program that runs one (the console's `batch` command, a
// station's window or its shortcut): read with one parser, checked with the same messages.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "identity_options.h"

struct BatchOptions {
    std::string serialFrom;
    std::string log;
    int count = 0;  // 0: no limit
    IdentityOptions identity;
};

// Adds the batch's options to a command (or a program's own command line).
void AddBatchOptions(CLI::App& command, BatchOptions& options);
