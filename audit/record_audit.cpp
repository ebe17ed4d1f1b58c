#include "record_audit.h"

#include "chip_fields.h"
#include "utf_text.h"

AuditReport AuditAgainstRecord(const ConfigRecord& chip, const std::vector<LedgerEntry>& record) {
    ChipFields fields = FieldsOf(chip);
    AuditReport report;
    const char* verified = OutcomeWord(BatchOutcome::Verified);
    AuditField serial{"serial", verified, "", FieldVerdict::Differs, ""};
    const LedgerEntry* last = nullptr;
    if (!fields.configured || !fields.serial) {
        serial.found = fields.configured ? "none" : "not configured";
        serial.note = "the chip holds no serial to look up";
    } else {
        last = LastProgramming(record, *fields.serial);
        std::string outcome = last != nullptr ? OutcomeWord(last->outcome) : "";
        if (last == nullptr) {
            serial.found = *fields.serial + ", not on record";
            serial.note = "not on record";
        } else {
            serial.found = *fields.serial + ", " + outcome + " at " + WhereAndWhen(*last);
            if (last->outcome == BatchOutcome::Verified) {
                serial.verdict = FieldVerdict::Matches;
            } else {
                serial.note = "recorded as " + outcome + " at " + WhereAndWhen(*last);
            }
        }
    }
    report.fields.push_back(serial);
    if (last == nullptr) {
        AddIdentityFields(nullptr, fields, "recorded", report);
        return report;
    }
    ExpectedIdentity expected{last->vid, last->pid, Utf8ToUtf16Replacing(last->product),
                              last->lock};
    AddIdentityFields(&expected, fields, "recorded", report);
    return report;
}

std::string WhereAndWhen(const LedgerEntry& entry) {
    const std::string& where = entry.station.empty() ? entry.port : entry.station;
    // 2026-12-08T09:14:33.123Z to the minute: 2026-12-08T09:14Z.
    constexpr size_t kMinute = 16;
    std::string when = entry.time.size() > kMinute && entry.time[10] == 'T'
                           ? entry.time.substr(0, kMinute) + "Z"
                           : entry.time;
    return where + " " + when;
}
