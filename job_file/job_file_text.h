// A job file's text, as capture writes it from a known-good board: the keys the reader takes, in
// the order an operator reads them, one a line, UTF-8 without a byte order mark.
#pragma once

#include <string>

#include "job.h"

// The job's identity (never a serial) and its scheme; name and comment when not empty. What the
// reader reads back from it is the same job.
std::string JobFileText(const Job& job);
