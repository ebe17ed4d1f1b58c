#include "label_order.h"

LabelDecision LabelAfterTurn(BatchOutcome outcome, bool onRecord) {
    if (outcome != BatchOutcome::Verified) {
        return {false, std::string("no label: the board's outcome is ") + OutcomeWord(outcome)};
    }
    if (!onRecord) {
        return {false, "no label: the board's verified outcome is not on record"};
    }
    return {true, ""};
}

LabelDecision LabelForReprint(const std::string& serial, std::optional<BatchOutcome> lastOnRecord) {
    if (!lastOnRecord) {
        return {false, "the record holds no serial " + serial};
    }
    if (*lastOnRecord == BatchOutcome::Started) {
        return {false, "the record holds no outcome for " + serial +
                           " (started, then nothing): it was never verified"};
    }
    if (*lastOnRecord != BatchOutcome::Verified) {
        return {false, "the record's last outcome for " + serial + " is " +
                           OutcomeWord(*lastOnRecord) + ", not verified"};
    }
    return {true, ""};
}
