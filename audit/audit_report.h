// What an audit says about a chip: one line per field, each with what the job or the record
// expects, what the chip holds and, when they differ, one sentence saying how. Shells print the
// lines or put them in a JSON object; every word of them is made here.
#pragma once

#include <string>
#include <vector>

enum class FieldVerdict {
    Matches,
    Differs,
    Unchecked,  // nothing to compare it with, or no check for it exists yet
};

struct AuditField {
    std::string field;     // "serial", "vid", "pid", "product", "lock"
    std::string expected;  // as shown: "0A5C", "\"Bench Board\"", "no", "verified", "ZQ######"
    std::string found;     // the chip's, as shown the same way
    FieldVerdict verdict = FieldVerdict::Unchecked;
    // Differs: "product differs: \"Bench Board\" recorded, \"Bench Bard\" on the chip", "not on
    // record", ...; Unchecked: why not; Matches: "".
    std::string note;
};

struct AuditReport {
    std::vector<AuditField> fields;  // serial, vid, pid, product, lock: always all five, so
                                     // every report has the same shape
};

enum class AuditVerdict {
    Matches,     // every field matches
    Differs,     // some field differs
    Incomplete,  // none differs, but some could not be checked: no proof that the chip is right
};

AuditVerdict VerdictOf(const AuditReport& report);
