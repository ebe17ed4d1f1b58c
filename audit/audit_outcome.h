// What an audit found, as one word the log, the ledger and scripts read: kept apart from the
// batch's outcome words, which stay exactly as they are; a word means the same in both places.
#pragma once

#include <optional>
#include <string_view>

enum class AuditOutcome {
    Audited,        // the chip is exactly what its record says
    AuditMismatch,  // some field differs; the record names which
};

// "audited", "audit-mismatch".
const char* AuditWord(AuditOutcome outcome);
// The outcome a word names; empty for any other text.
std::optional<AuditOutcome> AuditFromWord(std::string_view word);
