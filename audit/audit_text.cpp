#include "audit_text.h"

#include <algorithm>

#include "chip_fields.h"
#include "utf_text.h"

const char* VerdictWord(FieldVerdict verdict) {
    switch (verdict) {
        case FieldVerdict::Matches:
            return "matches";
        case FieldVerdict::Differs:
            return "DIFFERS";
        case FieldVerdict::Unchecked:
            return "unchecked";
    }
    return "";
}

namespace {

// A note that only restates the two values ("vid differs: 0A5C in the job, ...", "not on record"
// beside "ZQ000002, not on record") adds nothing to the line that shows them.
bool SaysMore(const AuditField& field) {
    return !field.note.empty() && field.note.rfind(field.field + " differs:", 0) != 0 &&
           field.found.find(field.note) == std::string::npos;
}

}  // namespace

AuditOutcome OutcomeOf(const AuditReport& report) {
    return VerdictOf(report) == AuditVerdict::Matches ? AuditOutcome::Audited
                                                      : AuditOutcome::AuditMismatch;
}

std::vector<std::string> AuditLines(const AuditReport& report) {
    std::vector<std::string> lines;
    for (const AuditField& field : report.fields) {
        std::string line = "  " + field.field +
                           std::string(9 - std::min<size_t>(field.field.size(), 8), ' ') +
                           VerdictWord(field.verdict) + "  ";
        // Nothing expected: the chip's value alone, and why there is nothing to compare it with.
        line += field.expected.empty() ? "found " + field.found
                                       : "expected " + field.expected + ", found " + field.found;
        if (SaysMore(field)) {
            line += " (" + field.note + ")";
        }
        lines.push_back(line);
    }
    return lines;
}

std::string AuditHeadline(const AuditReport& report) {
    if (OutcomeOf(report) == AuditOutcome::Audited) {
        return "matches " + (report.fields.empty() ? std::string() : report.fields[0].found);
    }
    // The fields that differ say why; those left unchecked only follow from them (a serial not on
    // record leaves nothing to compare the rest with), so they are named only when none differs.
    std::string differ;
    std::string unchecked;
    for (const AuditField& field : report.fields) {
        if (field.verdict == FieldVerdict::Differs) {
            differ += (differ.empty() ? "" : "; ") + field.note;
        } else if (field.verdict == FieldVerdict::Unchecked) {
            unchecked += (unchecked.empty() ? "" : ", ") + field.field;
        }
    }
    return !differ.empty() ? differ : unchecked + " not checked";
}

LedgerEntry AuditRecord(const ConfigRecord& chip, const AuditReport& report,
                        const std::string& port) {
    ChipFields fields = FieldsOf(chip);
    LedgerEntry entry;
    entry.port = port;
    entry.serial = fields.serial.value_or("");
    entry.vid = fields.vid;
    entry.pid = fields.pid;
    entry.product = Utf16ToUtf8Replacing(fields.product.value_or(u""));
    entry.lock = fields.lock;
    entry.outcome = OutcomeOf(report) == AuditOutcome::Audited ? BatchOutcome::Audited
                                                               : BatchOutcome::AuditMismatch;
    entry.status = OutcomeOf(report) == AuditOutcome::Audited ? "" : AuditHeadline(report);
    return entry;
}
