// The serial scheme a log batch's options name, built: a first serial counted up, a format read
// at the clock's date, or a list file's serials, each checked before any port is opened.
#pragma once

#include <memory>
#include <string>

#include "batch_options.h"
#include "result.h"
#include "serial_scheme.h"

// listText: the bytes of the --serial-list file, which the caller has read. Refused (bad usage),
// naming the option and why, for a list that cannot be used.
Result<std::unique_ptr<SerialScheme>> SchemeOf(const SchemeOptions& options,
                                               const std::string& listText, SerialClock clock);
