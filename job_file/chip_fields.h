// The fields an audit compares, as a chip read back holds them, and the comparison of its
// identity (VID, PID, product, lock) with the identity a job or a record expects.
#pragma once

#include <optional>
#include <string>

#include "audit_report.h"
#include "config_record.h"

struct ChipFields {
    bool configured = false;  // a chip that is not configured shows its maker's identity, not ours
    std::string vid;          // "0A5C"
    std::string pid;
    std::optional<std::string> serial;
    std::optional<std::u16string> product;
    bool lock = false;
};

ChipFields FieldsOf(const ConfigRecord& chip);

// The identity an audit expects, as shown and compared.
struct ExpectedIdentity {
    std::string vid;  // "0A5C"
    std::string pid;
    std::u16string product;
    bool lock = false;
};

// Appends the vid, pid, product and lock lines. source says where the expectation comes from, for
// the notes: "in the job" or "recorded" ("vid differs: 0A5C recorded, 0A5D on the chip").
// expected null: nothing to compare with; the lines show the chip's and are left unchecked.
void AddIdentityFields(const ExpectedIdentity* expected, const ChipFields& chip,
                       const std::string& source, AuditReport& report);

// "\"Bench Board\"", or "none".
std::string ShownProduct(const std::optional<std::u16string>& product);
// "yes" or "no", as the log writes the lock.
std::string ShownLock(bool lock);
