// A job's id: short enough to print on every line and label, and different for any change of a
// job file's bytes or of the bytes of a file it names (its serial list, its label template), so a
// log line or a record tells which exact job made a board.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "result.h"

// A job's full digest, 64 hexadecimal digits in upper case. A job that names no file: the
// SHA-256 of its file's bytes. A job that names files: the SHA-256 of the 32-byte SHA-256 of its
// file's bytes followed by the 32-byte SHA-256 of each named file's bytes, its list's before its
// template's. The job file's own bytes say which files it names, so no two jobs share the
// framing.
Result<std::string> JobDigest(std::string_view jobBytes,
                              const std::vector<std::string_view>& namedFiles = {});

// The id a digest is shown as: its first 8 hexadecimal digits.
std::string JobIdOf(const std::string& digest);

// The id of a job that names no file: the first 8 hexadecimal digits of the SHA-256 of bytes, in
// upper case: the case every ID and byte this tool shows is in, and the case Windows' own
// Get-FileHash prints, so an operator can check such a job file's id by hand.
Result<std::string> JobId(std::string_view bytes);
