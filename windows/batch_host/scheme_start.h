// A log batch's serial scheme from its options, on this computer: the list file read from disk,
// the format's dates from the computer's clock. Shared by a batch and the serials preview.
#pragma once

#include <memory>

#include "batch_options.h"
#include "serial_scheme.h"

// Throws a CommandFailure (EXIT_BAD_USAGE) when the list cannot be read or used. listText: the
// list's bytes when they were read already (a job's list, read once with its job).
std::unique_ptr<SerialScheme> StartScheme(const SchemeOptions& options,
                                          const std::string* listText = nullptr);
