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
};

}  // namespace

const char* OutcomeWord(BatchOutcome outcome) {
    return WordIn(kWords, outcome, "failed");
}

std::optional<BatchOutcome> OutcomeFromWord(std::string_view word) {
    return ValueIn(kWords, word);
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
