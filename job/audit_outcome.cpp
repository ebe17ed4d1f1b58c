#include "audit_outcome.h"

#include "word_table.h"

namespace {

constexpr Named<AuditOutcome> kWords[] = {
    {AuditOutcome::Audited, "audited"},
    {AuditOutcome::AuditMismatch, "audit-mismatch"},
};

}  // namespace

const char* AuditWord(AuditOutcome outcome) {
    return WordIn(kWords, outcome, "audit-mismatch");
}

std::optional<AuditOutcome> AuditFromWord(std::string_view word) {
    return ValueIn(kWords, word);
}
