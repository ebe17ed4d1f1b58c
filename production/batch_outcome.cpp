#include "batch_outcome.h"

#include "word_table.h"

namespace {

constexpr Named<BatchOutcome> kWords[] = {
    {BatchOutcome::Started, "started"},
    {BatchOutcome::Verified, "verified"},
    {BatchOutcome::Unverified, "unverified"},
    {BatchOutcome::Locked, "locked"},
    {BatchOutcome::Failed, "failed"},
    {BatchOutcome::ReadFailed, "read-failed"},
    {BatchOutcome::SkippedLocked, "skipped-locked"},
    {BatchOutcome::SkippedProgrammed, "skipped-programmed"},
    {BatchOutcome::Audited, "audited"},
    {BatchOutcome::AuditMismatch, "audit-mismatch"},
    {BatchOutcome::Labelled, "labelled"},
    {BatchOutcome::LabelFailed, "label-failed"},
    {BatchOutcome::LabelReprinted, "label-reprinted"},
};

}  // namespace

const char* OutcomeWord(BatchOutcome outcome) {
    return WordIn(kWords, outcome, "failed");
}

std::optional<BatchOutcome> OutcomeFromWord(std::string_view word) {
    return ValueIn(kWords, word);
}

bool IsProgramming(BatchOutcome outcome) {
    // No default: an outcome added later is a compile warning here until it is decided.
    switch (outcome) {
        case BatchOutcome::Started:
        case BatchOutcome::Verified:
        case BatchOutcome::Unverified:
        case BatchOutcome::Locked:
        case BatchOutcome::Failed:
            return true;
        case BatchOutcome::ReadFailed:
        case BatchOutcome::SkippedLocked:
        case BatchOutcome::SkippedProgrammed:
        case BatchOutcome::Audited:
        case BatchOutcome::AuditMismatch:
        case BatchOutcome::Labelled:
        case BatchOutcome::LabelFailed:
        case BatchOutcome::LabelReprinted:
            return false;
    }
    return false;
}

BatchOutcome OutcomeOfWrite(JobOutcome outcome) {
    switch (outcome) {
        case JobOutcome::WriteOk:
            return BatchOutcome::Verified;
        case JobOutcome::WriteUnverified:
            return BatchOutcome::Unverified;
        case JobOutcome::WriteLocked:
            return BatchOutcome::Locked;
        case JobOutcome::ReadFailed:
            return BatchOutcome::ReadFailed;
        case JobOutcome::ReadOk:
        case JobOutcome::WriteFailed:
            break;
    }
    return BatchOutcome::Failed;
}
