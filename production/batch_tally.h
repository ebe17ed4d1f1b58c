// A batch's counts per outcome and the exit code they and its stop make.
#pragma once

#include <map>

#include "batch_outcome.h"

class BatchTally {
public:
    void Add(BatchOutcome outcome) { counts_[outcome]++; }
    int Count(BatchOutcome outcome) const;
    // Chips that were written and did not verify.
    int NotVerifiedAfterWrite() const;

private:
    std::map<BatchOutcome, int> counts_;
};

// A batch stopped for a reason of its own (stopExitCode not EXIT_DONE) exits with it; otherwise
// 0 when every chip it wrote verified, EXIT_FAILED when one did not. EXIT_LABEL_MISSING replaces
// 0 and EXIT_INTERRUPTED when a label was not printed.
int BatchExitCode(const BatchTally& tally, int stopExitCode);
