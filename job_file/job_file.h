// The job file: a JSON object (UTF-8, with or without a byte order mark) that names a production
// run's identity and serials. Read strictly, since one mistyped job writes a wrong identity into a
// whole shift: an unknown key, a key twice, a value of the wrong type or a value the command line
// would refuse is refused, naming the key and the value.
//
// {"name": "Bench board, rev B", "vid": "0A5C", "pid": "BEEF", "product": "Bench Board",
//  "lock": false, "serial-from": "ZQ000001"}
//
// Keys: vid, pid, product, lock (all four required); at most one of serial-from, serial-format
// (with an optional utc-offset) and serial-list; name, comment, label and printer optional; lease
// (with an optional lease-low) for a line's stations, whose job is their sequence's.
#pragma once

#include <string>
#include <string_view>

#include "job.h"
#include "result.h"

// bytes: the file's bytes exactly as read (the job's id is their hash). jobFile: the file's path
// (UTF-8), which relative paths in it are resolved against. The error is one line without the
// file's name ("vid: \"12G4\" is not 1 to 4 hexadecimal digits"); the caller names the file.
Result<Job> ParseJobFile(std::string_view bytes, const std::string& jobFile);

// The job's digest and id over bytes (its file's, as ParseJobFile was given them) and the files
// it names: job.listText for a list job, job.labelText when it names a label, read once by the
// caller. A job that names no file keeps the id of its file's bytes alone.
Status PinJobFiles(Job& job, std::string_view bytes);
