// A factory's serial format: literal characters, date fields ({YY}, {WW}, {MM}, {DD}), exactly
// one counter ({N:k} decimal, {X:k} hexadecimal, {A:k} base 34, {Z:k} base 36, k wide, from 1)
// and optionally a check character {C}, expanding to exactly the chip's 8 serial characters.
// The date fields' value is the counter's period: the counter starts again at 1 when it changes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calendar_date.h"
#include "counter_alphabet.h"
#include "result.h"

enum class FormatField { Literal, Year, Week, Month, Day, Counter, Check };

struct FormatPiece {
    FormatField field = FormatField::Literal;
    char literal = 0;  // with Literal
};

struct SerialFormat {
    std::string text;  // as written
    std::vector<FormatPiece> pieces;
    const CounterAlphabet* counter = nullptr;
    size_t counterWidth = 0;

    bool Has(FormatField field) const;
};

// The format, or why there is none: the format quoted, and what is wrong with it.
Result<SerialFormat> ParseSerialFormat(const std::string& text);

// Serials per period: the counter's largest value.
uint64_t Capacity(const SerialFormat& format);
// What a period is: "day", "month", "week" or "year"; "" when the format has no date field and
// its counter never starts again.
std::string PeriodUnit(const SerialFormat& format);
// The date fields' text at a date ("2653" for {YY}{WW} on 1 January 2027); "" without them.
std::string PeriodOf(const SerialFormat& format, const CalendarDate& date);
// The serial with the counter's value (1 to Capacity) at a date.
std::string Expand(const SerialFormat& format, const CalendarDate& date, uint64_t counter);

struct FormatReading {
    std::string period;
    uint64_t counter = 0;
};
// What a serial of this format holds; empty for any text the format cannot have expanded to
// (another literal, a counter of 0, a wrong check character, date fields no date gives: week 00
// or 54, month 13, 31 April; a two-digit year is taken as 20YY).
std::optional<FormatReading> ReadSerial(const SerialFormat& format, const std::string& serial);
