#include "utc_time.h"

#include <cstdio>

std::string UtcStamp(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    auto day = floor<days>(when);
    year_month_day date{day};
    hh_mm_ss<milliseconds> time{duration_cast<milliseconds>(when - day)};
    char text[40];
    std::snprintf(
        text, sizeof(text), "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", static_cast<int>(date.year()),
        static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
        static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
        static_cast<int>(time.seconds().count()), static_cast<int>(time.subseconds().count()));
    return text;
}

std::string UtcNow() {
    return UtcStamp(std::chrono::system_clock::now());
}
