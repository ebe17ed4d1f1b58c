// A job file fixes a run's identity and serials: no option given beside --job may change them, so
// that a station's shortcut cannot differ from the job every other station runs.
#pragma once

#include <CLI/CLI.hpp>
#include <span>

// Throws a CommandFailure (EXIT_BAD_USAGE) for the first of options the command line gave:
// "--product: the job file names the product".
void RefuseBesideJob(const CLI::App& command, std::span<const char* const> options);

// The identity's options and the serial scheme's, as a batch takes them.
inline constexpr const char* kJobIdentityOptions[] = {"--vid", "--pid", "--product", "--lock"};
inline constexpr const char* kJobSchemeOptions[] = {"--serial-from", "--serial-format",
                                                    "--utc-offset", "--serial-list"};
// A line's lease, which a job run with its sequence names for every station alike.
inline constexpr const char* kJobLeaseOptions[] = {"--lease", "--lease-low"};
