#include "core_words.h"

#include <utility>

#include "banner.h"
#include "record_text.h"
#include "utf_text.h"

namespace {

// Whether text is prefix, then something, then suffix; middle gets the something.
bool Between(const std::string& text, const std::string& prefix, const std::string& suffix,
             std::string& middle) {
    if (text.size() < prefix.size() + suffix.size() ||
        text.compare(0, prefix.size(), prefix) != 0 ||
        text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    middle = text.substr(prefix.size(), text.size() - prefix.size() - suffix.size());
    return true;
}

// text split at the last separator; false when it has none.
bool SplitLast(const std::string& text, const std::string& separator,
               std::pair<std::string, std::string>& parts) {
    size_t at = text.rfind(separator);
    if (at == std::string::npos) {
        return false;
    }
    parts = {text.substr(0, at), text.substr(at + separator.size())};
    return true;
}

int UnitId(const std::string& unit) {
    if (unit == "week") {
        return IDS_UNIT_WEEK;
    }
    if (unit == "day") {
        return IDS_UNIT_DAY;
    }
    if (unit == "month") {
        return IDS_UNIT_MONTH;
    }
    return unit == "year" ? IDS_UNIT_YEAR : 0;
}

// "the serials of week 2026-W50 have run out (9 per week, the last ZQ269): no board starts
// until the next week" (FormatScheme).
bool SayPeriodFull(const Texts& texts, const std::string& reason, std::string& said) {
    std::string middle;
    if (!Between(reason, "the serials of ", "", middle)) {
        return false;
    }
    std::string unit = middle.substr(0, middle.find(' '));
    std::string period, capacity, last;
    std::pair<std::string, std::string> parts;
    if (UnitId(unit) == 0 ||
        !Between(middle, unit + " ", ": no board starts until the next " + unit, middle) ||
        !SplitLast(middle, " have run out (", parts)) {
        return false;
    }
    period = parts.first;
    if (!SplitLast(parts.second, ", the last ", parts) ||
        !Between(parts.first, "", " per " + unit, capacity) ||
        !Between(parts.second, "", ")", last)) {
        return false;
    }
    said = texts.Say(IDS_REASON_PERIOD_FULL, {texts.Say(UnitId(unit)), period, capacity, last});
    return true;
}

// "the serials have run out: ..." from each scheme.
bool SayRunOut(const Texts& texts, const std::string& reason, std::string& said) {
    std::string detail, middle;
    if (!Between(reason, "the serials have run out: ", "", detail)) {
        return false;
    }
    std::pair<std::string, std::string> parts;
    if (Between(detail, "", " is used and no serial of this sequence is left", middle)) {
        said = texts.Say(IDS_REASON_RUN_OUT_COUNT, {middle});
    } else if (Between(detail, "every serial of the list (", " in all) is used", middle)) {
        said = texts.Say(IDS_REASON_RUN_OUT_LIST, {middle});
    } else if (detail == "the sequence's digits are used up") {
        said = texts.Say(IDS_REASON_RUN_OUT_DIGITS);
    } else if (SplitLast(detail, " was the last of ", parts)) {
        said = texts.Say(IDS_REASON_RUN_OUT_FORMAT, {parts.first, parts.second});
    } else {
        said = texts.Say(IDS_REASON_RUN_OUT_OTHER, {detail});
    }
    return true;
}

}  // namespace

std::string SayReason(const Texts& texts, const std::string& reason) {
    std::string said, detail;
    if (SayPeriodFull(texts, reason, said) || SayRunOut(texts, reason, said)) {
        return said;
    }
    if (Between(reason, "the batch's record could not be written (",
                "): the batch stops; nothing is written unrecorded", detail)) {
        return texts.Say(IDS_REASON_RECORD_FAILED_DETAIL, {detail});
    }
    if (reason ==
        "the batch's record could not be written: the batch stops; chips in progress finish "
        "first") {
        return texts.Say(IDS_REASON_RECORD_FAILED);
    }
    if (reason == "the audit's record could not be written to the ledger: the audit stops") {
        return texts.Say(IDS_REASON_AUDIT_RECORD_FAILED);
    }
    return texts.Say(IDS_REASON_OTHER, {Sentence(reason)});
}

std::string SayRecordLoss(const Texts& texts, const std::string& summary) {
    std::string rest;
    if (!Between(summary,
                 "the batch's record could not be written: it stopped; chips in progress "
                 "finished. The last serial on record: ",
                 "", rest)) {
        return texts.Say(IDS_REASON_OTHER, {Sentence(summary)});
    }
    std::pair<std::string, std::string> parts;
    bool unrecorded = SplitLast(rest, "; used, outcome not recorded: ", parts);
    std::string last = unrecorded ? parts.first : rest;
    if (last == "none") {
        last = texts.Say(IDS_NONE);
    }
    return unrecorded ? texts.Say(IDS_RECORD_LOST_UNRECORDED, {last, parts.second})
                      : texts.Say(IDS_RECORD_LOST, {last});
}

std::string SayRecordName(const Texts& texts, const std::string& recordName) {
    std::string rest;
    std::pair<std::string, std::string> parts;
    if (Between(recordName, "sequence ", "", rest) &&
        SplitLast(rest, " in the ledger, station ", parts)) {
        return texts.Say(IDS_RECORD_SEQUENCE, {parts.first, parts.second});
    }
    if (!Between(recordName, "log ", "", rest)) {
        return recordName;
    }
    if (SplitLast(rest, ", job ", parts)) {
        return texts.Say(IDS_RECORD_LOG_JOB, {parts.first, parts.second});
    }
    return texts.Say(IDS_RECORD_LOG, {rest});
}

std::string SayBasis(const Texts& texts, const std::string& against) {
    std::string rest;
    std::pair<std::string, std::string> parts;
    if (Between(against, "job ", "", rest) && SplitLast(rest, " in ", parts)) {
        return texts.Say(IDS_BASIS_JOB, {parts.first, parts.second});
    }
    if (Between(against, "sequence ", "", rest)) {
        return texts.Say(IDS_BASIS_SEQUENCE, {rest});
    }
    if (Between(against, "log ", "", rest)) {
        return texts.Say(IDS_RECORD_LOG, {rest});
    }
    return against;
}

std::string SayIdentity(const Texts& texts, const ChipIdentity& identity,
                        const std::string& firstSerial) {
    std::string vid = HexId(identity.vendorId);
    std::string pid = HexId(identity.productId);
    std::string product = identity.product ? Utf16ToUtf8(*identity.product).value_or("?") : "";
    return firstSerial.empty() ? texts.Say(IDS_LOCK_IDENTITY_NONE_LEFT, {vid, pid, product})
                               : texts.Say(IDS_LOCK_IDENTITY, {vid, pid, firstSerial, product});
}
