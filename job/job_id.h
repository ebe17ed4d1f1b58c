// A job's id: short enough to print on every line and label, and different for any change of a
// job file's bytes, so a log line or a record tells which exact job made a board.
#pragma once

#include <string>
#include <string_view>

#include "result.h"

// The first 8 hexadecimal digits of the SHA-256 of bytes, in upper case: the case every ID and
// byte this tool shows is in, and the case Windows' own Get-FileHash prints, so an operator can
// check a job file's id by hand.
Result<std::string> JobId(std::string_view bytes);
