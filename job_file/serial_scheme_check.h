// A job's serial format and its offset, checked with the command line's own checks, so that a job
// and --serial-format/--utc-offset refuse exactly the same values with the same words.
#pragma once

#include <string>

// "" when accepted; otherwise one line that starts with the key it refuses ("serial-format: ..."
// or "utc-offset: ...") and names the value. utcOffset is null when the job gives none.
std::string CheckSerialScheme(const std::string& format, const std::string* utcOffset);
