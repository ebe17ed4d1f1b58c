// A chip read for a command that only looks at it (capture, audit): read frames only, never a
// write frame, so the board leaves exactly as it came.
#pragma once

#include <string>

#include "config_jobs.h"
#include "job_outcome.h"

struct ChipRead {
    std::string port;
    JobOutcome outcome = JobOutcome::ReadFailed;
    RecordPtr record;  // what the chip holds, when outcome is ReadOk
};

// The port named (or the only chip port), opened and read. Throws a CommandFailure
// (EXIT_NO_PORT) when there is no such port or it cannot be opened.
ChipRead ReadChosenChip(const std::string& named);
