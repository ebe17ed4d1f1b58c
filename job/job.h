// A job: the identity every board of a production run gets and where its serials come from, as
// its job file names them. Read once, by ParseJobFile; no option given beside it may change it.
#pragma once

#include <string>

#include "chip_identity.h"

// Where a job's serials come from: at most one scheme.
enum class JobScheme {
    None,    // a job for single writes: it names no serials
    From,    // counting up from a first serial
    Format,  // a format with date fields and one counter
    List,    // a file of serials assigned in advance
};

struct JobSerials {
    JobScheme scheme = JobScheme::None;
    std::string from;       // From: the first serial
    std::string format;     // Format: the format as written
    std::string utcOffset;  // Format: "+08:00", or "" for UTC
    std::string list;       // List: the file's path, resolved against the job file's folder
};

struct Job {
    // The first 8 hexadecimal digits (upper case) of the SHA-256 of the job file's bytes.
    std::string id;
    // VID, PID, product and lock as the file gives them; never a serial (the scheme has them).
    ChipIdentity identity;
    JobSerials serials;
    std::string name;     // "" when the file gives none
    std::string comment;  // "" when the file gives none
    // The label's template (a path resolved like the list's) and its printer; "" when not given.
    std::string label;
    std::string printer;
};
