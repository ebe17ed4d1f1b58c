#include "identity_text.h"

#include <cstdio>

#include "string_descriptor.h"
#include "utf_text.h"

std::string HexId(uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof(text), "%04X", static_cast<unsigned>(id));
    return text;
}

std::string HexBytes(const std::vector<uint8_t>& bytes, const char* separator) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); i++) {
        char hex[4];
        std::snprintf(hex, sizeof(hex), "%02X", static_cast<unsigned>(bytes[i]));
        text += (i > 0 ? separator : "") + std::string(hex);
    }
    return text;
}

std::optional<std::string> SerialOf(const ConfigRecord& record) {
    if (!record.serialPresent) {
        return std::nullopt;
    }
    std::u16string units;
    for (int i = 0; i < SERIAL_CHARS && record.serial[i] != 0; i++) {
        units += static_cast<char16_t>(record.serial[i]);
    }
    return Utf16ToUtf8(units).value_or("");
}

std::optional<std::string> ProductOf(const ConfigRecord& record) {
    if (!record.productPresent) {
        return std::nullopt;
    }
    std::u16string units;
    int count = DescriptorUnitCount(record);
    for (int i = 0; i < count; i++) {
        char16_t unit = DescriptorUnit(record, i);
        bool high = unit >= 0xD800 && unit <= 0xDBFF;
        bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        char16_t next = i + 1 < count ? DescriptorUnit(record, i + 1) : 0;
        if (high && next >= 0xDC00 && next <= 0xDFFF) {
            units += unit;
            units += next;
            i++;
        } else {
            units += high || low ? u'\uFFFD' : unit;
        }
    }
    return Utf16ToUtf8(units).value_or("");
}

std::string DescribeIdentity(const ChipIdentity& identity) {
    std::string text = "VID " + HexId(identity.vendorId) + ", PID " + HexId(identity.productId);
    text += ", serial " + (identity.serial ? *identity.serial : std::string("(none)"));
    std::string product =
        identity.product ? Utf16ToUtf8(*identity.product).value_or("?") : std::string();
    text += ", product " + (identity.product ? "\"" + product + "\"" : std::string("(none)"));
    return text;
}
