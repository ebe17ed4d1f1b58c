#include "audit_tile.h"

#include "audit_text.h"

namespace {

// A field's name as the operator reads it; the report's own word when it is none of the five.
std::string FieldName(const Texts& texts, const std::string& field) {
    static const std::pair<const char*, int> kNames[] = {{"serial", IDS_FIELD_SERIAL},
                                                         {"vid", IDS_FIELD_VID},
                                                         {"pid", IDS_FIELD_PID},
                                                         {"product", IDS_FIELD_PRODUCT},
                                                         {"lock", IDS_FIELD_LOCK}};
    for (const auto& [word, id] : kNames) {
        if (field == word) {
            return texts.Say(id);
        }
    }
    return field;
}

// Each field that differs with both values, or, when none differs, the fields left unchecked
// (they only follow from a difference, as the audit's headline has it).
std::string Differences(const Texts& texts, const AuditReport& report) {
    std::string differ, unchecked;
    for (const AuditField& field : report.fields) {
        std::string name = FieldName(texts, field.field);
        if (field.verdict == FieldVerdict::Differs) {
            // A note that only restates the two values is said with them; one that says more
            // (a record's failure) is kept as the record has it.
            bool plain = field.note.rfind(field.field + " differs:", 0) == 0;
            differ +=
                (differ.empty() ? "" : texts.Say(IDS_LIST_SEPARATOR)) +
                (plain ? texts.Say(IDS_AUDIT_FIELD_DIFFERS, {name, field.expected, field.found})
                       : texts.Say(IDS_AUDIT_FIELD_NOTE, {name, field.note}));
        } else if (field.verdict == FieldVerdict::Unchecked) {
            unchecked += (unchecked.empty() ? "" : texts.Say(IDS_NAME_SEPARATOR)) + name;
        }
    }
    return !differ.empty() ? differ : texts.Say(IDS_AUDIT_NOT_CHECKED, {unchecked});
}

}  // namespace

TileContent AuditTile(const Texts& texts, const AuditReport& report, const std::string& jobId) {
    if (OutcomeOf(report) == AuditOutcome::Audited) {
        // The serial field's value leads with the chip's serial ("ZQ000123, verified at st-a").
        std::string found = report.fields.empty() ? std::string() : report.fields[0].found;
        std::string serial = found.substr(0, found.find(','));
        return {TileLook::Pass, texts.Say(IDS_STATE_PASS), serial,
                jobId.empty() ? texts.Say(IDS_AUDIT_MATCHES, {found})
                              : texts.Say(IDS_AUDIT_MATCHES_JOB, {jobId}),
                texts.Say(IDS_TILE_NEXT_BOARD)};
    }
    // The detail names each field that differs; the main line only says that one does, in a
    // word the tile's type is sized for.
    return {TileLook::Fail, texts.Say(IDS_STATE_FAIL), texts.Say(IDS_AUDIT_DIFFERS),
            Differences(texts, report), texts.Say(IDS_TILE_SET_ASIDE)};
}

TileContent AuditUnreadTile(const Texts& texts, const std::string& problem) {
    return {TileLook::Fail, texts.Say(IDS_STATE_FAIL), texts.Say(IDS_OUTCOME_READ_FAILED), problem,
            texts.Say(IDS_TILE_SET_ASIDE)};
}
