#include "serial_format.h"

#include "check_character.h"

#include <chrono>

namespace {

constexpr size_t kSerialChars = 8;

struct DateFieldName {
    const char* name;
    FormatField field;
};

constexpr DateFieldName kNamedFields[] = {{"YY", FormatField::Year},
                                          {"WW", FormatField::Week},
                                          {"MM", FormatField::Month},
                                          {"DD", FormatField::Day},
                                          {"C", FormatField::Check}};

size_t Width(const SerialFormat& format, const FormatPiece& piece) {
    switch (piece.field) {
        case FormatField::Literal:
        case FormatField::Check:
            return 1;
        case FormatField::Counter:
            return format.counterWidth;
        case FormatField::Year:
        case FormatField::Week:
        case FormatField::Month:
        case FormatField::Day:
            break;
    }
    return 2;
}

std::string TwoDigits(int value) {
    value %= 100;
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string DateText(const SerialFormat& format, FormatField field, const CalendarDate& date) {
    switch (field) {
        case FormatField::Year:
            // With a week, the year is the week's: 1 January 2027 is 2653, never 2753.
            return TwoDigits(format.Has(FormatField::Week) ? date.isoYear : date.year);
        case FormatField::Week:
            return TwoDigits(static_cast<int>(date.isoWeek));
        case FormatField::Month:
            return TwoDigits(static_cast<int>(date.month));
        case FormatField::Day:
            return TwoDigits(static_cast<int>(date.day));
        default:
            break;
    }
    return "";
}

// Reads one "{...}" field at text[at] (the brace), or says why it is refused.
Status ReadField(const std::string& text, size_t& at, SerialFormat& format) {
    size_t close = text.find('}', at);
    size_t nextOpen = text.find('{', at + 1);
    if (close == std::string::npos || nextOpen < close) {
        return Fail("has a \"{\" without its \"}\"");
    }
    std::string name = text.substr(at + 1, close - at - 1);
    std::string field = "{" + name + "}";
    at = close + 1;
    for (const DateFieldName& named : kNamedFields) {
        if (name == named.name) {
            if (format.Has(named.field)) {
                return Fail("has " + field + " twice");
            }
            format.pieces.push_back({named.field, 0});
            return {};
        }
    }
    const CounterAlphabet* alphabet =
        name.size() >= 3 && name[1] == ':' ? AlphabetOfField(name[0]) : nullptr;
    if (alphabet == nullptr || name.size() > 4 ||
        name.find_first_not_of("0123456789", 2) != std::string::npos) {
        return Fail("has an unknown field " + field +
                    " (fields: {YY} {WW} {MM} {DD}, one counter {N:k} {X:k} {A:k} {Z:k}, {C})");
    }
    if (format.counter != nullptr) {
        return Fail("has two counters: exactly one counts");
    }
    size_t width = std::stoul(name.substr(2));
    if (width < 1 || width > kSerialChars) {
        return Fail("has the counter " + field + ": its width must be 1 to 8");
    }
    format.counter = alphabet;
    format.counterWidth = width;
    format.pieces.push_back({FormatField::Counter, 0});
    return {};
}

Status ReadPieces(const std::string& text, SerialFormat& format) {
    for (size_t at = 0; at < text.size();) {
        char c = text[at];
        if (c == '{') {
            if (Status read = ReadField(text, at, format); !read) {
                return read;
            }
            continue;
        }
        if (c == '}') {
            return Fail("has a \"}\" without its \"{\"");
        }
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x21 || byte > 0x7E) {
            return Fail("has a character outside ASCII 0x21-0x7E (no spaces)");
        }
        format.pieces.push_back({FormatField::Literal, c});
        at++;
    }
    if (format.counter == nullptr) {
        return Fail("has no counter: it needs one of {N:k}, {X:k}, {A:k}, {Z:k}");
    }
    size_t length = 0;
    for (const FormatPiece& piece : format.pieces) {
        length += Width(format, piece);
    }
    if (length != kSerialChars) {
        return Fail("expands to " + std::to_string(length) +
                    " characters: the chip's serial is exactly 8");
    }
    // A period must not come round again, or its counter would start again on used serials.
    for (const DateFieldName& named : kNamedFields) {
        bool dated = named.field == FormatField::Month || named.field == FormatField::Week ||
                     named.field == FormatField::Day;
        if (dated && format.Has(named.field) && !format.Has(FormatField::Year)) {
            return Fail("has {" + std::string(named.name) +
                        "} without {YY}: its serials would repeat a year later");
        }
    }
    if (format.Has(FormatField::Day) && !format.Has(FormatField::Month)) {
        return Fail("has {DD} without {MM}: its serials would repeat a month later");
    }
    if (format.Has(FormatField::Check)) {
        // Date fields are digits, in every alphabet; literals must be in the counter's too.
        for (const FormatPiece& piece : format.pieces) {
            if (piece.field == FormatField::Literal && !format.counter->ValueOf(piece.literal)) {
                return Fail("has {C} over the counter's alphabet, " +
                            std::string(format.counter->name) + ", which does not hold \"" +
                            piece.literal + "\"");
            }
        }
    }
    return {};
}

// The date fields a serial holds, as numbers; 0 for a field the format lacks.
struct DateFields {
    int year = -1;  // 0-99, the years 2000 to 2099
    unsigned week = 0;
    unsigned month = 0;
    unsigned day = 0;
};

void Note(DateFields& fields, FormatField field, const std::string& part) {
    const int value = (part[0] - '0') * 10 + (part[1] - '0');
    switch (field) {
        case FormatField::Year:
            fields.year = value;
            break;
        case FormatField::Week:
            fields.week = static_cast<unsigned>(value);
            break;
        case FormatField::Month:
            fields.month = static_cast<unsigned>(value);
            break;
        case FormatField::Day:
            fields.day = static_cast<unsigned>(value);
            break;
        default:
            break;
    }
}

// Whether some date gives these fields: a week 01-53 (53 only in a year that has it, when the
// year is there), a month 01-12, a day 01-31 and no later than its month's last (29 February
// only in a leap year, when the year is there).
bool DatePossible(const SerialFormat& format, const DateFields& fields) {
    using namespace std::chrono;
    const bool hasWeek = format.Has(FormatField::Week);
    const bool hasMonth = format.Has(FormatField::Month);
    const bool hasDay = format.Has(FormatField::Day);
    if ((hasWeek && (fields.week < 1 || fields.week > 53)) ||
        (hasMonth && (fields.month < 1 || fields.month > 12)) ||
        (hasDay && (fields.day < 1 || fields.day > 31))) {
        return false;
    }
    const bool known = fields.year >= 0;
    const year in{2000 + (known ? fields.year : 0)};  // 2000 is a leap year: any 29 February
    if (hasWeek && known && fields.week == 53) {
        // The ISO year has a week 53 when its 28 December is in it.
        return DateAt(sys_days{in / December / 28}, 0).isoWeek == 53;
    }
    if (hasMonth && hasDay) {
        return year_month_day{in / month(fields.month) / day(fields.day)}.ok();
    }
    return true;
}

}  // namespace

bool SerialFormat::Has(FormatField field) const {
    for (const FormatPiece& piece : pieces) {
        if (piece.field == field) {
            return true;
        }
    }
    return false;
}

Result<SerialFormat> ParseSerialFormat(const std::string& text) {
    SerialFormat format;
    format.text = text;
    if (Status read = ReadPieces(text, format); !read) {
        return Fail("\"" + text + "\" " + read.Err().message);
    }
    return format;
}

uint64_t Capacity(const SerialFormat& format) {
    // An 8-character counter in base 36 is below 2^42: the limit always fits.
    return *CounterLimit(*format.counter, format.counterWidth) - 1;
}

std::string PeriodUnit(const SerialFormat& format) {
    if (format.Has(FormatField::Day)) {
        return "day";
    }
    if (format.Has(FormatField::Week)) {
        return "week";
    }
    if (format.Has(FormatField::Month)) {
        return "month";
    }
    return format.Has(FormatField::Year) ? "year" : "";
}

std::string PeriodOf(const SerialFormat& format, const CalendarDate& date) {
    std::string period;
    for (const FormatPiece& piece : format.pieces) {
        period += DateText(format, piece.field, date);
    }
    return period;
}

std::string Expand(const SerialFormat& format, const CalendarDate& date, uint64_t counter) {
    std::string serial;
    size_t checkAt = std::string::npos;
    for (const FormatPiece& piece : format.pieces) {
        switch (piece.field) {
            case FormatField::Literal:
                serial += piece.literal;
                break;
            case FormatField::Counter:
                serial += format.counter->Write(counter, format.counterWidth);
                break;
            case FormatField::Check:
                checkAt = serial.size();
                break;
            default:
                serial += DateText(format, piece.field, date);
                break;
        }
    }
    if (checkAt != std::string::npos) {
        // The parser made sure every character is in the alphabet.
        serial.insert(checkAt, 1, *LuhnCheckCharacter(*format.counter, serial));
    }
    return serial;
}

std::optional<FormatReading> ReadSerial(const SerialFormat& format, const std::string& serial) {
    if (serial.size() != kSerialChars) {
        return std::nullopt;
    }
    FormatReading reading;
    DateFields date;
    std::string checked;  // the serial without its check character
    size_t checkAt = std::string::npos;
    size_t at = 0;
    for (const FormatPiece& piece : format.pieces) {
        std::string part = serial.substr(at, Width(format, piece));
        at += part.size();
        switch (piece.field) {
            case FormatField::Literal:
                if (part[0] != piece.literal) {
                    return std::nullopt;
                }
                break;
            case FormatField::Counter: {
                std::optional<uint64_t> value = format.counter->Read(part);
                if (!value || *value == 0) {
                    return std::nullopt;
                }
                reading.counter = *value;
                break;
            }
            case FormatField::Check:
                checkAt = at - 1;
                continue;
            default:
                if (part.find_first_not_of("0123456789") != std::string::npos) {
                    return std::nullopt;
                }
                reading.period += part;
                Note(date, piece.field, part);
                break;
        }
        checked += part;
    }
    if (checkAt != std::string::npos &&
        LuhnCheckCharacter(*format.counter, checked) != serial[checkAt]) {
        return std::nullopt;
    }
    if (!DatePossible(format, date)) {
        return std::nullopt;
    }
    return reading;
}
