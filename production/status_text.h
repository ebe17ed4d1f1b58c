// The status line's texts in UTF-8, for records, consoles and databases.
#pragma once

#include <string>

#include "job_outcome.h"

std::string StatusText(JobOutcome outcome);
