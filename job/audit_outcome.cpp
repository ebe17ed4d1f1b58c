#include "audit_outcome.h"

namespace {

struct AuditName {
    AuditOutcome outcome;
    const char* word;
};

constexpr AuditName kWords[] = {
    {AuditOutcome::Audited, "audited"},
    {AuditOutcome::AuditMismatch, "audit-mismatch"},
};

}  // namespace

const char* AuditWord(AuditOutcome outcome) {
    for (const AuditName& name : kWords) {
        if (name.outcome == outcome) {
            return name.word;
        }
    }
    return "audit-mismatch";
}

std::optional<AuditOutcome> AuditFromWord(std::string_view word) {
    for (const AuditName& name : kWords) {
        if (word == name.word) {
            return name.outcome;
        }
    }
    return std::nullopt;
}
