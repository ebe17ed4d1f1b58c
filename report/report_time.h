// The times a report is asked for and reads: moments in UTC as milliseconds since 1970, the
// options' ISO 8601 form, a record's stamp, and the start of the hour or day a moment falls in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class ReportPeriod { Hour, Day };

// "2026-12-07T11:00Z" or "2026-12-07T11:00:30Z", a real date and time in UTC; empty for any
// other text (no offset, no fractions, no lower-case letters: an option's value is exact).
std::optional<int64_t> ParseOptionTime(const std::string& text);
// A record's stamp, "2026-12-07T15:31:44.823Z" (fractions of 0 to 3 digits); empty otherwise.
std::optional<int64_t> ParseRecordTime(const std::string& text);

// The start of the hour or day (UTC) the moment falls in.
int64_t PeriodStart(int64_t millis, ReportPeriod period);
// "2026-12-07T11:00Z".
std::string MinuteStamp(int64_t millis);
// "2026-12-07 11:00:00.000", as a database reads a timestamp.
std::string SqlStamp(int64_t millis);

// --from inclusive, --to exclusive; either may be open.
struct ReportRange {
    std::optional<int64_t> from;
    std::optional<int64_t> to;

    bool Open() const { return !from && !to; }
    bool Holds(int64_t millis) const { return (!from || millis >= *from) && (!to || millis < *to); }
};
