// What an audit compares a chip with, and which ports an audit that watches takes: the options
// zq61prog audit and an audit station share, declared and checked once.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "batch_options.h"

// --job FILE, --sequence NAME with --ledger and --station.
void AddAuditBasisOptions(CLI::App& command, std::string& job, BatchOptions& options);
// --ports and --count of an audit that watches every board that appears.
void AddWatchOptions(CLI::App& command, BatchOptions& options);

// The ledger's options go with --sequence only; with it, the ledger and the station default to
// this machine's. Refused (bad usage) otherwise, its message after prefix.
Status CheckAuditSequence(const CLI::App& command, BatchOptions& options,
                          const MachineDefaults& machine, const std::string& prefix);
