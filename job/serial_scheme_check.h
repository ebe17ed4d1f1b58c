// The seam where a job's serial format is checked. Today it checks only the shape: a format is
// non-empty text, an offset is +HH:MM or -HH:MM. The serial format's own checks (its fields, its
// counter, its length once expanded) replace this body once they exist, so that a job and the
// command line refuse exactly the same formats.
#pragma once

#include <string>

// "" when accepted; otherwise one line that starts with the key it refuses ("serial-format: ..."
// or "utc-offset: ...") and names the value. utcOffset is null when the job gives none.
std::string CheckSerialScheme(const std::string& format, const std::string* utcOffset);
