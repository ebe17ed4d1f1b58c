// A single read or write as a script reads it: its word and its exit code.
#pragma once

#include "job_outcome.h"

// "read" for a read that succeeded; otherwise the batch's word for the same outcome.
const char* JobWord(JobOutcome outcome);
int JobExitCode(JobOutcome outcome);
