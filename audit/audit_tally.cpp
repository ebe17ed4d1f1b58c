#include "audit_tally.h"

#include "audit_outcome.h"
#include "batch_outcome.h"
#include "exit_codes.h"

int AuditTally::ExitCode() const {
    if (readFailed > 0) {
        return EXIT_FAILED;
    }
    return mismatched > 0 ? EXIT_DIFFERS : EXIT_DONE;
}

std::string AuditTally::Summary() const {
    return std::string(AuditWord(AuditOutcome::Audited)) + " " + std::to_string(audited) + ", " +
           AuditWord(AuditOutcome::AuditMismatch) + " " + std::to_string(mismatched) + ", " +
           OutcomeWord(BatchOutcome::ReadFailed) + " " + std::to_string(readFailed);
}
