// What became of a chip in a batch, as one word scripts, logs and databases read. The words are
// written in one table only; everything else names the enum.
#pragma once

#include <optional>
#include <string_view>

#include "job_outcome.h"

enum class BatchOutcome {
    Started,  // a serial taken for a chip, recorded before its first frame
    Verified,
    Unverified,
    Locked,
    Failed,
    ReadFailed,
    SkippedLocked,
    SkippedProgrammed,
    // Records made for a chip after its programming ended (an audit of it, its label); they never
    // end a chip's turn in a batch, and a chip's history is judged by its programming records only.
    Audited,
    AuditMismatch,
    Labelled,
    LabelFailed,
    LabelReprinted,
};

// Every outcome a chip can end with, in the order summaries list them (Started is not one).
inline constexpr BatchOutcome kFinalOutcomes[] = {
    BatchOutcome::Verified,         BatchOutcome::Unverified, BatchOutcome::Locked,
    BatchOutcome::Failed,           BatchOutcome::ReadFailed, BatchOutcome::SkippedLocked,
    BatchOutcome::SkippedProgrammed};

// "started", "verified", "unverified", "locked", "failed", "read-failed", "skipped-locked",
// "skipped-programmed", "audited", "audit-mismatch", "labelled", "label-failed", "label-reprinted".
const char* OutcomeWord(BatchOutcome outcome);
// The outcome a word names; empty for any other text.
std::optional<BatchOutcome> OutcomeFromWord(std::string_view word);

// Whether a record is an outcome of programming the serial. Only those say whether a board is
// right: a board skipped because it was already programmed, and audits and labels recorded later,
// do not change what its programming left on it.
bool IsProgramming(BatchOutcome outcome);

// What a job's outcome means for the batch (a read that succeeded is no outcome of a chip).
BatchOutcome OutcomeOfWrite(JobOutcome outcome);
