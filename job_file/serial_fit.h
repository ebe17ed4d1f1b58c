// Whether a serial is one a job's scheme could have given: what an audit checks a chip's serial
// against when it has only the job, not the record.
#pragma once

#include <string>
#include <vector>

#include "job.h"

enum class SerialFit {
    Fits,
    DoesNotFit,
};

// From: the first serial's prefix and a counter of its width (ZQ000001: ZQ and six digits).
// List: one of listSerials, the list's serials as its reader gave them. Format: FitsSerialFormat.
// None: any serial fits, since the job names none.
SerialFit FitsScheme(const JobSerials& serials, const std::string& serial,
                     const std::vector<std::string>& listSerials);

// A serial the format could have expanded to on some date: its literals, a counter from 1 and
// its check character right. A format that does not parse fits nothing.
SerialFit FitsSerialFormat(const std::string& format, const std::string& serial);

// What the scheme expects, as an audit shows it: "ZQ######", the format as written, "in the list
// <path>", "any".
std::string ShownScheme(const JobSerials& serials);
