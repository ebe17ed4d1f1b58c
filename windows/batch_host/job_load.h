// A job file read from disk for a command that takes --job: its bytes exactly as stored, read
// strictly, and the files it names (its list, its label) read once with it: the job's id is over
// all their bytes, and the job keeps the bytes it was given, so nothing reads them again.
#pragma once

#include <string>
#include <vector>

#include "job.h"

// Throws a CommandFailure (EXIT_BAD_USAGE) naming the file: one that cannot be read, a job the
// reader refuses ("--job: bench.json: vid: \"12G4\" is not 1 to 4 hexadecimal digits"), or a
// file it names that cannot be read ("--job: serial-list: cannot read lists\b.csv (error 2)").
Job LoadJob(const std::string& path);

// A list job's serials, its list's bytes as the job was loaded with them, checked as a batch
// checks a list; empty for any other scheme. Throws a CommandFailure (EXIT_BAD_USAGE) for a list
// that cannot be read or used.
std::vector<std::string> LoadJobList(const Job& job);

// "job 3F09A1C2" or "job 3F09A1C2 (Bench board, rev B)": the job as a start line names it.
std::string JobTitle(const Job& job);
