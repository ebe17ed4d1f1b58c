// The serial scheme a log batch's options name, built: a first serial counted up, a format read
// at the clock's date, or a list file's serials, each checked before any port is opened.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "batch_options.h"
#include "result.h"
#include "serial_scheme.h"

// listText: the bytes of the --serial-list file, which the caller has read. Refused (bad usage),
// naming the option and why, for a list that cannot be used.
Result<std::unique_ptr<SerialScheme>> SchemeOf(const SchemeOptions& options,
                                               const std::string& listText, SerialClock clock);

// A list file's serials, each checked as a single write checks it, none twice. Refused (bad
// usage) "where: why" for a list that cannot be used; where names the option and the file
// ("--serial-list: list.csv").
Result<std::vector<std::string>> CheckedListSerials(const std::string& where,
                                                    const std::string& text);
