#include "chip_fields.h"

#include "record_text.h"
#include "utf_text.h"

namespace {

constexpr const char* kNotConfigured = "not configured";

void AddField(const std::string& name, const std::string& expected, const std::string& found,
              bool same, const std::string& source, AuditReport& report) {
    AuditField field{name, expected, found, FieldVerdict::Matches, ""};
    if (!same) {
        field.verdict = FieldVerdict::Differs;
        field.note = name + " differs: " + expected + " " + source + ", " + found + " on the chip";
    }
    report.fields.push_back(field);
}

}  // namespace

ChipFields FieldsOf(const ConfigRecord& chip) {
    ChipFields fields;
    fields.configured = chip.configured != 0;
    fields.vid = HexId(chip.vendorId);
    fields.pid = HexId(chip.productId);
    fields.serial = SerialText(chip);
    fields.product = ProductUnits(chip);
    fields.lock = chip.writeProtected != 0;
    return fields;
}

void AddIdentityFields(const ExpectedIdentity* expected, const ChipFields& chip,
                       const std::string& source, AuditReport& report) {
    std::string vid = chip.configured ? chip.vid : kNotConfigured;
    std::string pid = chip.configured ? chip.pid : kNotConfigured;
    std::string product = chip.configured ? ShownProduct(chip.product) : kNotConfigured;
    std::string lock = ShownLock(chip.lock);
    if (expected == nullptr) {
        for (const auto& [name, found] : {std::pair<std::string, std::string>{"vid", vid},
                                          {"pid", pid},
                                          {"product", product},
                                          {"lock", lock}}) {
            report.fields.push_back(AuditField{name, "", found, FieldVerdict::Unchecked,
                                               "nothing " + source + " to compare with"});
        }
        return;
    }
    // The product is compared as the code units the chip holds, not as its UTF-8 rendering,
    // which shows an unpaired surrogate as U+FFFD and could make two different chips look alike.
    bool sameProduct = chip.configured && chip.product == expected->product;
    AddField("vid", expected->vid, vid, chip.configured && chip.vid == expected->vid, source,
             report);
    AddField("pid", expected->pid, pid, chip.configured && chip.pid == expected->pid, source,
             report);
    AddField("product", ShownProduct(expected->product), product, sameProduct, source, report);
    AddField("lock", ShownLock(expected->lock), lock, chip.lock == expected->lock, source, report);
}

std::string ShownProduct(const std::optional<std::u16string>& product) {
    if (!product) {
        return "none";
    }
    return "\"" + Utf16ToUtf8Replacing(*product) + "\"";
}

std::string ShownLock(bool lock) {
    return lock ? "yes" : "no";
}
