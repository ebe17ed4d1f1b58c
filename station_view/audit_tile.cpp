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

// A note that says more than the two values, in the operator's language where the audit's own
// words are known; as the record has it otherwise.
std::string NoteText(const Texts& texts, const std::string& name, const std::string& note) {
    const std::string recordedAs = "recorded as ";
    size_t at = note.find(" at ");
    if (note == "not on record") {
        return texts.Say(IDS_AUDIT_NOT_ON_RECORD, {name});
    }
    if (note == "the chip holds no serial to look up") {
        return texts.Say(IDS_AUDIT_NO_SERIAL_ON_CHIP, {name});
    }
    if (note.rfind(recordedAs, 0) == 0 && at != std::string::npos) {
        return texts.Say(
            IDS_AUDIT_RECORDED_AS,
            {name, note.substr(recordedAs.size(), at - recordedAs.size()), note.substr(at + 4)});
    }
    return texts.Say(IDS_AUDIT_FIELD_NOTE, {name, note});
}

// Each field that differs with both values, or, when none differs, the fields left unchecked
// (they only follow from a difference, as the audit's headline has it).
std::string Differences(const Texts& texts, const AuditReport& report) {
    std::string differ, unchecked;
    for (const AuditField& field : report.fields) {
        std::string name = FieldName(texts, field.field);
        if (field.verdict == FieldVerdict::Differs) {
            // A note that only restates the two values is said with them; one that says more
            // (a record's failure) is said as NoteText says it.
            bool plain = field.note.rfind(field.field + " differs:", 0) == 0;
            differ +=
                (differ.empty() ? "" : texts.Say(IDS_LIST_SEPARATOR)) +
                (plain ? texts.Say(IDS_AUDIT_FIELD_DIFFERS, {name, field.expected, field.found})
                       : NoteText(texts, name, field.note));
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
        // Against a record: "ZQ000123, verified at st-a 2026-12-08T09:14Z".
        const std::string verifiedAt = ", verified at ";
        size_t at = found.find(verifiedAt);
        std::string detail = !jobId.empty() ? texts.Say(IDS_AUDIT_MATCHES_JOB, {jobId})
                             : at != std::string::npos
                                 ? texts.Say(IDS_AUDIT_MATCHES_RECORD,
                                             {serial, found.substr(at + verifiedAt.size())})
                                 : texts.Say(IDS_AUDIT_MATCHES, {found});
        return {TileLook::Pass, texts.Say(IDS_STATE_PASS), serial, detail,
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
