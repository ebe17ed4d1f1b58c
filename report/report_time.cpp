#include "report_time.h"

#include <chrono>
#include <cstdio>

namespace {

using namespace std::chrono;

// Reads `count` decimal digits at `at`; empty when any is not one.
std::optional<int> Digits(const std::string& text, size_t at, size_t count) {
    if (at + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (size_t i = at; i < at + count; i++) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "YYYY-MM-DDTHH:MM" at the start of text, as milliseconds; the rest is the caller's.
std::optional<int64_t> DateAndMinute(const std::string& text) {
    if (text.size() < 16 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':') {
        return std::nullopt;
    }
    const auto y = Digits(text, 0, 4), mo = Digits(text, 5, 2), d = Digits(text, 8, 2);
    const auto h = Digits(text, 11, 2), mi = Digits(text, 14, 2);
    if (!y || !mo || !d || !h || !mi || *h > 23 || *mi > 59) {
        return std::nullopt;
    }
    const year_month_day date{year{*y}, month{static_cast<unsigned>(*mo)},
                              day{static_cast<unsigned>(*d)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    const auto midnight = sys_days{date}.time_since_epoch();
    return duration_cast<milliseconds>(midnight + hours{*h} + minutes{*mi}).count();
}

// ":SS" at `at`, as milliseconds; empty when it is not there or not a second.
std::optional<int64_t> Seconds(const std::string& text, size_t at) {
    const auto s = at < text.size() && text[at] == ':' ? Digits(text, at + 1, 2) : std::nullopt;
    if (!s || *s > 59) {
        return std::nullopt;
    }
    return int64_t{*s} * 1000;
}

}  // namespace

std::optional<int64_t> ParseOptionTime(const std::string& text) {
    const std::optional<int64_t> minute = DateAndMinute(text);
    if (!minute) {
        return std::nullopt;
    }
    if (text.size() == 17 && text[16] == 'Z') {
        return minute;
    }
    const std::optional<int64_t> seconds = Seconds(text, 16);
    if (!seconds || text.size() != 20 || text[19] != 'Z') {
        return std::nullopt;
    }
    return *minute + *seconds;
}

std::optional<int64_t> ParseRecordTime(const std::string& text) {
    const std::optional<int64_t> minute = DateAndMinute(text);
    const std::optional<int64_t> seconds = Seconds(text, 16);
    if (!minute || !seconds || text.empty() || text.back() != 'Z') {
        return std::nullopt;
    }
    int64_t millis = *minute + *seconds;
    const size_t end = text.size() - 1;
    if (end == 19) {
        return millis;
    }
    const size_t digits = end - 20;
    const auto fraction =
        text[19] == '.' && digits >= 1 && digits <= 3 ? Digits(text, 20, digits) : std::nullopt;
    if (!fraction) {
        return std::nullopt;
    }
    return millis + *fraction * (digits == 1 ? 100 : digits == 2 ? 10 : 1);
}

int64_t PeriodStart(int64_t millis, ReportPeriod period) {
    const int64_t length = period == ReportPeriod::Day ? 86400000 : 3600000;
    // Floor, not truncation: a moment before 1970 still starts its own hour.
    return millis - ((millis % length) + length) % length;
}

namespace {

std::string Stamp(int64_t millis, const char* format, bool withSeconds) {
    const sys_time<milliseconds> when{milliseconds{millis}};
    const auto midnight = floor<days>(when);
    const year_month_day date{midnight};
    const hh_mm_ss<milliseconds> time{when - midnight};
    char text[40];
    if (withSeconds) {
        std::snprintf(
            text, sizeof text, format, static_cast<int>(date.year()),
            static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
            static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count()));
    } else {
        std::snprintf(text, sizeof text, format, static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                      static_cast<int>(time.hours().count()),
                      static_cast<int>(time.minutes().count()));
    }
    return text;
}

}  // namespace

std::string MinuteStamp(int64_t millis) {
    return Stamp(millis, "%04d-%02u-%02uT%02d:%02dZ", false);
}

std::string SqlStamp(int64_t millis) {
    return Stamp(millis, "%04d-%02u-%02u %02d:%02d:%02d.%03d", true);
}
