// A board's label, as far as the batch is concerned: the seam between a board's turn and the
// printer. The batch hands every board's outcome record to the labeller once the record is made
// (or has failed); the labeller alone decides whether a label is due and prints it, from the
// board's own worker, so a slow printer holds up no other port.
#pragma once

#include <string>

#include "ledger_entry.h"

enum class LabelState {
    None,        // no label was due (no labels in this batch, or the board is not verified)
    Printed,     // the printer took the label
    NotPrinted,  // a label was due and did not reach the printer: it wants a reprint
};

struct BoardLabel {
    LabelState state = LabelState::None;
    // Printed: where it went (the printer as --printer names it); NotPrinted: why not.
    std::string status;
};

class BoardLabeller {
public:
    virtual ~BoardLabeller() = default;
    // record: the board's outcome record as the ledger was given it (its time stamped);
    // onRecord: whether the ledger made it durable. Never throws. Several workers call at once.
    virtual BoardLabel AfterRecord(const LedgerEntry& record, bool onRecord) = 0;
};
