// The job outcomes as scripts read them: a word for the output and the log, and an exit code.
#pragma once

#include <string>

#include "job_outcome.h"

// "read", "read-failed", "verified", "unverified", "locked" or "failed".
const char* OutcomeWord(JobOutcome outcome);
int ExitCodeFor(JobOutcome outcome);
// The dialog's status text for the outcome, in UTF-8.
std::string StatusText(JobOutcome outcome);
