#include "serial_scheme_check.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// +HH:MM or -HH:MM, the minutes below 60.
bool IsOffsetShape(const std::string& text) {
    return text.size() == 6 && (text[0] == '+' || text[0] == '-') && IsDigit(text[1]) &&
           IsDigit(text[2]) && text[3] == ':' && text[4] >= '0' && text[4] <= '5' &&
           IsDigit(text[5]);
}

}  // namespace

std::string CheckSerialScheme(const std::string& format, const std::string* utcOffset) {
    if (format.empty()) {
        return "serial-format: \"\" is empty";
    }
    if (utcOffset != nullptr && !IsOffsetShape(*utcOffset)) {
        return "utc-offset: \"" + *utcOffset + "\" is not +HH:MM or -HH:MM";
    }
    return "";
}
