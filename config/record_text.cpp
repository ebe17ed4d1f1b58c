#include "record_text.h"

#include <cstdio>

#include "string_descriptor.h"
#include "utf_text.h"

std::string HexId(uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof(text), "%04X", static_cast<unsigned>(id));
    return text;
}

std::optional<std::u16string> ProductUnits(const ConfigRecord& record) {
    if (!record.productPresent) {
        return std::nullopt;
    }
    std::u16string units;
    for (int i = 0; i < DescriptorUnitCount(record); i++) {
        units += static_cast<char16_t>(DescriptorUnit(record, i));
    }
    return units;
}

std::optional<std::string> ProductText(const ConfigRecord& record) {
    std::optional<std::u16string> units = ProductUnits(record);
    if (!units) {
        return std::nullopt;
    }
    return Utf16ToUtf8Replacing(*units);
}

std::optional<std::string> SerialText(const ConfigRecord& record) {
    if (!record.serialPresent) {
        return std::nullopt;
    }
    std::u16string units;
    for (int i = 0; i < SERIAL_CHARS && record.serial[i] != 0; i++) {
        units += static_cast<char16_t>(record.serial[i]);
    }
    return Utf16ToUtf8(units).value_or("");
}

bool HoldsIdentity(const ConfigRecord& record, const ChipIdentity& identity) {
    if (!record.configured || record.vendorId != identity.vendorId ||
        record.productId != identity.productId) {
        return false;
    }
    if (ProductUnits(record) != identity.product) {
        return false;
    }
    return !identity.serial || SerialText(record) == identity.serial;
}
