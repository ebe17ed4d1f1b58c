#include "calendar_date.h"

CalendarDate DateAt(std::chrono::system_clock::time_point when, int offsetMinutes) {
    using namespace std::chrono;
    sys_days day = floor<days>(when + minutes(offsetMinutes));
    year_month_day civil{day};
    CalendarDate date;
    date.year = static_cast<int>(civil.year());
    date.month = static_cast<unsigned>(civil.month());
    date.day = static_cast<unsigned>(civil.day());
    // The week's Thursday decides its year; the week's number counts from that year's first.
    sys_days thursday = day + days(4 - static_cast<int>(weekday(day).iso_encoding()));
    year isoYear = year_month_day{thursday}.year();
    date.isoYear = static_cast<int>(isoYear);
    date.isoWeek =
        static_cast<unsigned>((thursday - sys_days{isoYear / January / 1}).count() / 7 + 1);
    return date;
}

std::optional<int> ParseUtcOffset(const std::string& text) {
    auto digit = [&](size_t at) { return text[at] >= '0' && text[at] <= '9'; };
    if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || !digit(1) || !digit(2) ||
        text[3] != ':' || !digit(4) || !digit(5)) {
        return std::nullopt;
    }
    int hours = (text[1] - '0') * 10 + (text[2] - '0');
    int minutes = (text[4] - '0') * 10 + (text[5] - '0');
    int offset = hours * 60 + minutes;
    if (minutes > 59 || (text[0] == '+' ? offset > 14 * 60 : offset > 12 * 60)) {
        return std::nullopt;
    }
    return text[0] == '+' ? offset : -offset;
}
