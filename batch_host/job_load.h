// A job file read from disk for a command that takes --job: its bytes exactly as stored (the
// job's id is their hash), read strictly.
#pragma once

#include <string>
#include <vector>

#include "job.h"

// Throws a CommandFailure (EXIT_BAD_USAGE) naming the file: one that cannot be read, or a job the
// reader refuses ("--job: bench.json: vid: \"12G4\" is not 1 to 4 hexadecimal digits").
Job LoadJob(const std::string& path);

// A list job's serials, its list file read and checked as a batch reads it; empty for any other
// scheme. Throws a CommandFailure (EXIT_BAD_USAGE) for a list that cannot be read or used.
std::vector<std::string> LoadJobList(const Job& job);

// "job 3F09A1C2" or "job 3F09A1C2 (Bench board, rev B)": the job as a start line names it.
std::string JobTitle(const Job& job);
