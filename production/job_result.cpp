#include "job_result.h"

#include "batch_outcome.h"
#include "exit_codes.h"

const char* JobWord(JobOutcome outcome) {
    return outcome == JobOutcome::ReadOk ? "read" : OutcomeWord(OutcomeOfWrite(outcome));
}

int JobExitCode(JobOutcome outcome) {
    switch (outcome) {
        case JobOutcome::ReadOk:
        case JobOutcome::WriteOk:
            return EXIT_DONE;
        case JobOutcome::WriteUnverified:
            return EXIT_UNVERIFIED;
        case JobOutcome::WriteLocked:
            return EXIT_WRITE_PROTECT;
        case JobOutcome::ReadFailed:
        case JobOutcome::WriteFailed:
            break;
    }
    return EXIT_FAILED;
}
