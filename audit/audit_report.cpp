#include "audit_report.h"

AuditVerdict VerdictOf(const AuditReport& report) {
    AuditVerdict verdict = AuditVerdict::Matches;
    for (const AuditField& field : report.fields) {
        if (field.verdict == FieldVerdict::Differs) {
            return AuditVerdict::Differs;
        }
        if (field.verdict == FieldVerdict::Unchecked) {
            verdict = AuditVerdict::Incomplete;
        }
    }
    return verdict;
}
