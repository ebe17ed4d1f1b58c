#include "format_scheme.h"

#include <cstdio>

namespace {

// The period as an operator reads it: "week 2026-W53", "day 2026-12-08".
std::string PeriodName(const std::string& unit, const CalendarDate& date) {
    char text[32];
    if (unit == "week") {
        std::snprintf(text, sizeof(text), "week %04d-W%02u", date.isoYear, date.isoWeek);
    } else if (unit == "day") {
        std::snprintf(text, sizeof(text), "day %04d-%02u-%02u", date.year, date.month, date.day);
    } else if (unit == "month") {
        std::snprintf(text, sizeof(text), "month %04d-%02u", date.year, date.month);
    } else {
        std::snprintf(text, sizeof(text), "year %04d", date.year);
    }
    return text;
}

}  // namespace

FormatScheme::FormatScheme(SerialFormat format, int offsetMinutes, SerialClock clock)
    : format_(std::move(format)), offsetMinutes_(offsetMinutes), clock_(std::move(clock)) {}

void FormatScheme::MarkUsed(const std::string& serial) {
    std::optional<FormatReading> reading = ReadSerial(format_, serial);
    if (!reading) {
        return;
    }
    uint64_t& highest = highest_[reading->period];
    if (reading->counter > highest) {
        highest = reading->counter;
    }
}

SchemeNext FormatScheme::Next() {
    CalendarDate date = DateAt(clock_(), offsetMinutes_);
    auto used = highest_.find(PeriodOf(format_, date));
    uint64_t counter = used == highest_.end() ? 1 : used->second + 1;
    SchemeNext next;
    if (counter <= ::Capacity(format_)) {
        next.kind = SchemeNext::Kind::Serial;
        next.serial = Expand(format_, date, counter);
        return next;
    }
    std::string unit = PeriodUnit(format_);
    std::string last = Expand(format_, date, counter - 1);
    if (unit.empty()) {
        next.message = "the serials have run out: " + last + " was the last of " + format_.text;
        return next;
    }
    next.kind = SchemeNext::Kind::PeriodFull;
    next.message = "the serials of " + PeriodName(unit, date) + " have run out (" + Capacity() +
                   ", the last " + last + "): no board starts until the next " + unit;
    return next;
}

std::string FormatScheme::ResumedAfter() {
    CalendarDate date = DateAt(clock_(), offsetMinutes_);
    auto used = highest_.find(PeriodOf(format_, date));
    return used == highest_.end() ? "" : Expand(format_, date, used->second);
}

std::string FormatScheme::Capacity() const {
    std::string unit = PeriodUnit(format_);
    return std::to_string(::Capacity(format_)) + (unit.empty() ? " in all" : " per " + unit);
}
