#include "batch_tally.h"

#include "exit_codes.h"

int BatchTally::Count(BatchOutcome outcome) const {
    auto found = counts_.find(outcome);
    return found == counts_.end() ? 0 : found->second;
}

int BatchTally::NotVerifiedAfterWrite() const {
    return Count(BatchOutcome::Unverified) + Count(BatchOutcome::Locked) +
           Count(BatchOutcome::Failed);
}

int BatchExitCode(const BatchTally& tally, int stopExitCode) {
    int code = stopExitCode;
    if (code == EXIT_DONE && tally.NotVerifiedAfterWrite() > 0) {
        code = EXIT_FAILED;
    }
    // A missing label is what a script must act on once every board is fine: a batch without
    // --count ends with Ctrl+C, so 130 gives way too. A chip's failure, or a stop for a reason
    // of the batch's own, says more and keeps its code.
    if ((code == EXIT_DONE || code == EXIT_INTERRUPTED) &&
        tally.Count(BatchOutcome::LabelFailed) > 0) {
        code = EXIT_LABEL_MISSING;
    }
    return code;
}
