#include "audit_outcome.h"

#include "batch_outcome.h"

// The words live in the batch's one table of record words, so that a log or a ledger reads an
// audit's record back with the same lookup as every other record.
const char* AuditWord(AuditOutcome outcome) {
    return OutcomeWord(outcome == AuditOutcome::Audited ? BatchOutcome::Audited
                                                        : BatchOutcome::AuditMismatch);
}

std::optional<AuditOutcome> AuditFromWord(std::string_view word) {
    const std::optional<BatchOutcome> outcome = OutcomeFromWord(word);
    if (outcome == BatchOutcome::Audited) {
        return AuditOutcome::Audited;
    }
    if (outcome == BatchOutcome::AuditMismatch) {
        return AuditOutcome::AuditMismatch;
    }
    return std::nullopt;
}
