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
    // The job's digest (job_id.h: over the job file's bytes and those of the files it names) and
    // its first 8 hexadecimal digits, the id every record carries. Read from a job file's bytes
    // alone they are the file's; PinJobFiles makes them the whole job's.
    std::string digest;
    std::string id;
    // VID, PID, product and lock as the file gives them; never a serial (the scheme has them).
    ChipIdentity identity;
    JobSerials serials;
    std::string name;     // "" when the file gives none
    std::string comment;  // "" when the file gives none
    // The label's template (a path resolved like the list's) and its printer; "" when not given.
    std::string label;
    std::string printer;
    // A line's station leases this many serials ahead of its boards (with --sequence: the job is
    // the sequence's); 0 when the file names no lease. leaseLow: the next lease when fewer remain,
    // K/4 unless the file says.
    int lease = 0;
    int leaseLow = 0;
    // The bytes of the list and the template, as read once when the job was pinned: what a batch,
    // an audit and a sequence use, so that what they use is what the id says.
    std::string listText;
    std::string labelText;
};
