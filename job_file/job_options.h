// A job read into the options it stands for, so that a batch run from a job takes exactly the
// path a batch run from options takes: the same scheme, the same checks, the same records.
#pragma once

#include "batch_options.h"
#include "job.h"

// The job's VID, PID, product and lock, and its serial scheme (left empty when it names none).
void ApplyJob(const Job& job, IdentityOptions& identity, SchemeOptions& scheme);
