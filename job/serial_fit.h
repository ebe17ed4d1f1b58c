// Whether a serial is one a job's scheme could have given: what an audit checks a chip's serial
// against when it has only the job, not the record.
#pragma once

#include <string>
#include <vector>

#include "job.h"

enum class SerialFit {
    Fits,
    DoesNotFit,
    CannotCheckYet,
};

// From: the first serial's prefix and a counter of its width (ZQ000001: ZQ and six digits).
// List: one of listSerials, the list's serials as its reader gave them. Format: FitsSerialFormat.
// None: any serial fits, since the job names none.
SerialFit FitsScheme(const JobSerials& serials, const std::string& serial,
                     const std::vector<std::string>& listSerials);

// The seam where a serial is checked against a format. Until the format's parser exists it
// answers CannotCheckYet, which an audit reports as unchecked, never as a match; the parser's own
// test of a serial replaces this body.
SerialFit FitsSerialFormat(const std::string& format, const std::string& serial);

// What the scheme expects, as an audit shows it: "ZQ######", the format as written, "in the list
// <path>", "any".
std::string ShownScheme(const JobSerials& serials);
