// When a board gets a label. A label is the board's word to everyone after the line, so it is
// printed only for a verified board whose outcome is on record (the log flushed, the ledger's
// commit known): a label for a board that failed, or one the record does not know, is the label
// that disagrees with the chip or the record. Every other outcome (unverified, failed, locked,
// read-failed, skipped) gets none.
#pragma once

#include <optional>
#include <string>

#include "batch_outcome.h"

struct LabelDecision {
    bool print = false;
    std::string why;  // why not, when no label is printed
};

// After a board's turn: its outcome, and whether its record was made durable.
LabelDecision LabelAfterTurn(BatchOutcome outcome, bool onRecord);

// A reprint: the last outcome the record holds for the serial; none when it names no such serial.
LabelDecision LabelForReprint(const std::string& serial, std::optional<BatchOutcome> lastOnRecord);
