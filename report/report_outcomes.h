// The outcome words a report counts, in the order its columns list them: started, the outcomes
// a chip's programming ends with, then the records made after it (audits, labels).
#pragma once

#include <string>

#include "batch_outcome.h"

inline constexpr BatchOutcome kReportedOutcomes[] = {
    BatchOutcome::Started,       BatchOutcome::Verified,
    BatchOutcome::Unverified,    BatchOutcome::Locked,
    BatchOutcome::Failed,        BatchOutcome::ReadFailed,
    BatchOutcome::SkippedLocked, BatchOutcome::SkippedProgrammed,
    BatchOutcome::Audited,       BatchOutcome::AuditMismatch,
    BatchOutcome::Labelled,      BatchOutcome::LabelFailed,
    BatchOutcome::LabelReprinted};

// The records whose status text says what went wrong: a report groups them by it.
inline bool IsFailure(BatchOutcome outcome) {
    switch (outcome) {
        case BatchOutcome::Unverified:
        case BatchOutcome::Locked:
        case BatchOutcome::Failed:
        case BatchOutcome::ReadFailed:
        case BatchOutcome::AuditMismatch:
        case BatchOutcome::LabelFailed:
            return true;
        default:
            return false;
    }
}

// The outcome's word as a column name: "read-failed" is read_failed.
inline std::string OutcomeColumn(BatchOutcome outcome) {
    std::string name = OutcomeWord(outcome);
    for (char& c : name) {
        c = c == '-' ? '_' : c;
    }
    return name;
}
