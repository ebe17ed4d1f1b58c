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
    if (stopExitCode != EXIT_DONE) {
        return stopExitCode;
    }
    return tally.NotVerifiedAfterWrite() > 0 ? EXIT_FAILED : EXIT_DONE;
}
