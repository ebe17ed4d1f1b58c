#include "label_values.h"

#include <chrono>
#include <optional>
#include <cstdio>

namespace {

// "2026-12-07T15:31:44.823Z" as a moment; empty for a stamp of another form.
std::optional<std::chrono::sys_seconds> StampMoment(const std::string& stamp) {
    int year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (stamp.size() < 19 || std::sscanf(stamp.c_str(), "%4d-%2u-%2uT%2u:%2u:%2u", &year, &month,
                                         &day, &hour, &minute, &second) != 6) {
        return std::nullopt;
    }
    using namespace std::chrono;
    year_month_day date{std::chrono::year(year) / std::chrono::month(month) /
                        std::chrono::day(day)};
    if (!date.ok() || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    return sys_days(date) + hours(hour) + minutes(minute) + seconds(second);
}

}  // namespace

LabelValues LabelValuesOf(const LedgerEntry& record, int offsetMinutes) {
    LabelValues values;
    values.serial = record.serial;
    values.vid = record.vid;
    values.pid = record.pid;
    values.product = record.product;
    values.station = record.station;
    values.port = record.port;
    // The record's time is "2026-12-07T15:31:44.823Z".
    values.date = record.time.substr(0, 10);
    values.time = record.time.size() >= 19 ? record.time.substr(11, 8) : "";
    values.job = record.job;
    std::optional<std::chrono::sys_seconds> moment = StampMoment(record.time);
    if (offsetMinutes != 0 && moment) {
        using namespace std::chrono;
        sys_seconds local = *moment + minutes(offsetMinutes);
        sys_days day = floor<days>(local);
        year_month_day date{day};
        hh_mm_ss<seconds> time{local - day};
        char text[32];
        std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
        values.date = text;
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(time.hours().count()),
                      static_cast<int>(time.minutes().count()),
                      static_cast<int>(time.seconds().count()));
        values.time = text;
    }
    return values;
}
