#include "batch_outcome.h"

namespace {

struct OutcomeName {
    BatchOutcome outcome;
    const char* word;
};

constexpr OutcomeName kOutcomeNames[] = {
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
    for (const OutcomeName& name : kOutcomeNames) {
        if (name.outcome == outcome) {
            return name.word;
        }
    }
    return "failed";
}

std::optional<BatchOutcome> OutcomeFromWord(std::string_view word) {
    for (const OutcomeName& name : kOutcomeNames) {
        if (word == name.word) {
            return name.outcome;
        }
    }
    return std::nullopt;
}

BatchOutcome OutcomeOfWrite(JobOutcome outcome) {
    switch (outcome) {
        case JobOutcome::WriteOk:
            return BatchOutcome::Verified;
        case JobOutcome::WriteUnverified:
            return BatchOutcome::Unverified;
        case JobOutcome::WriteLocked:
            return BatchOutcome::Locked;
        case JobOutcome::ReadOk:
        case JobOutcome::ReadFailed:
        case JobOutcome::WriteFailed:
            return BatchOutcome::Failed;
    }
    return BatchOutcome::Failed;
}
