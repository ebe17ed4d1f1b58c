#include "value_checks.h"

#include <charconv>

#include "config_record.h"
#include "port_name.h"
#include "calendar_date.h"
#include "serial_format.h"
#include "serial_sequence.h"
#include "utf_text.h"

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string Digits(const std::string& text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return text.substr(2);
    }
    return text;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

}  // namespace

std::string CheckId(const std::string& text) {
    std::string digits = Digits(text);
    if (digits.empty() || digits.size() > 4) {
        return Quoted(text) + " is not 1 to 4 hexadecimal digits";
    }
    for (char c : digits) {
        if (!IsHexDigit(c)) {
            return Quoted(text) + " is not 1 to 4 hexadecimal digits";
        }
    }
    uint16_t value = ParseId(text);
    if (value == 0x0000) {
        return Quoted(text) + " is refused: 0000 is no valid ID";
    }
    if (value == 0xFFFF) {
        return Quoted(text) + " is refused: FFFF reads back as an erased chip";
    }
    return "";
}

uint16_t ParseId(const std::string& text) {
    return static_cast<uint16_t>(std::stoul(Digits(text), nullptr, 16));
}

std::string CheckSerial(const std::string& text) {
    if (text.empty() || text.size() > SERIAL_CHARS) {
        return Quoted(text) + " is not 1 to 8 characters";
    }
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte > 0x7E) {
            return Quoted(text) + " has a character outside ASCII 0x21-0x7E (no spaces)";
        }
    }
    return "";
}

std::string CheckSerialFrom(const std::string& text) {
    std::string problem = CheckSerial(text);
    if (!problem.empty()) {
        return problem;
    }
    if (!SerialSequence::From(text)) {
        return Quoted(text) + " does not end in decimal digits to count up";
    }
    return "";
}

std::string CheckSerialFormat(const std::string& text) {
    return ParseSerialFormat(text).problem;
}

std::string CheckUtcOffset(const std::string& text) {
    if (!ParseUtcOffset(text)) {
        return Quoted(text) + " is not an offset from UTC, +HH:MM or -HH:MM (-12:00 to +14:00)";
    }
    return "";
}

std::string CheckProduct(const std::string& text) {
    std::optional<std::u16string> units = Utf8ToUtf16(text);
    if (!units) {
        return Quoted(text) + " is not valid text";
    }
    for (char16_t unit : *units) {
        if (unit < 0x20 || unit == 0x7F) {
            return Quoted(text) + " has a control character";
        }
    }
    if (units->empty() || units->size() > PRODUCT_UNITS) {
        return Quoted(text) + " is " + std::to_string(units->size()) +
               " UTF-16 code units; 1 to 18 fit the chip";
    }
    return "";
}

std::string CheckName(const std::string& text) {
    std::optional<std::u16string> units = Utf8ToUtf16(text);
    if (!units || units->empty() || units->size() > 64) {
        return Quoted(text) + " is not 1 to 64 characters of text";
    }
    for (char16_t unit : *units) {
        if (unit < 0x20 || unit == 0x7F) {
            return Quoted(text) + " has a control character";
        }
    }
    return "";
}

namespace {

// Digits alone, and at most kLeaseMost: what a lease's count is written as.
std::string CheckCount(const std::string& text, int least) {
    const bool digits = !text.empty() && text.size() <= 6 &&
                        text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || ParseLease(text) < least || ParseLease(text) > kLeaseMost) {
        return text + " is not a whole number from " + std::to_string(least) + " to " +
               std::to_string(kLeaseMost);
    }
    return "";
}

}  // namespace

std::string CheckLease(const std::string& text) {
    return CheckCount(text, 1);
}

std::string CheckLeaseLow(const std::string& text) {
    return CheckCount(text, 0);
}

int ParseLease(const std::string& text) {
    int value = 0;
    // A text the checks refused reads as 0, never as an exception.
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::string CheckPortName(const std::string& text) {
    if (text.empty() || text.size() > PORT_NAME_MAX) {
        return Quoted(text) + " is not a port name";
    }
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte > 0x7E || c == '\\' || c == '/') {
            return Quoted(text) + " is not a port name";
        }
    }
    return "";
}
