// The date a serial's date fields are taken from: a moment seen in UTC or at a fixed offset from
// it (a factory's local time without daylight saving), with its ISO 8601 week.
#pragma once

#include <chrono>
#include <optional>
#include <string>

struct CalendarDate {
    int year = 0;
    unsigned month = 0;  // 1-12
    unsigned day = 0;    // 1-31
    // ISO 8601: weeks start on Monday and week 1 holds the year's first Thursday, so the days
    // around New Year can belong to the other year's week (1 January 2027 is in week 53 of 2026).
    int isoYear = 0;
    unsigned isoWeek = 0;  // 1-53
};

CalendarDate DateAt(std::chrono::system_clock::time_point when, int offsetMinutes);

// "+HH:MM" or "-HH:MM", from -12:00 to +14:00, as minutes east of UTC; empty for anything else.
std::optional<int> ParseUtcOffset(const std::string& text);
