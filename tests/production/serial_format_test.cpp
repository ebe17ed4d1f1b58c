// A factory's serial format: what is refused and why, what it expands to at a date, the check
// character, the ISO weeks around New Year, and the base-34 counter without I and O.
#include <gtest/gtest.h>

#include <set>

#include "calendar_date.h"
#include "check_character.h"
#include "serial_format.h"

namespace {

using namespace std::chrono;

CalendarDate On(int y, unsigned m, unsigned d, int offsetMinutes = 0, int hour = 12) {
    return DateAt(sys_days{year{y} / month{m} / day{d}} + hours(hour), offsetMinutes);
}

SerialFormat Format(const std::string& text) {
    Result<SerialFormat> parse = ParseSerialFormat(text);
    EXPECT_TRUE(parse) << (parse ? "" : parse.Err().message);
    return parse ? *parse : SerialFormat();
}

TEST(SerialFormat, RefusesWhatCannotMakeEightCharactersThatNeverRepeat) {
    struct Case {
        const char* format;
        const char* why;
    } cases[] = {
        {"ZQ{YY}{WW}{N:5}", "expands to 11 characters"},
        {"Z{N:3}", "expands to 4 characters"},
        {"ZQ{N:3}{X:3}", "two counters"},
        {"ZQ{YY}{WW}XX", "no counter"},
        {"ZQ{Q}{N:5}", "unknown field {Q}"},
        {"ZQ{yy}{N:4}", "unknown field {yy}"},
        {"ZQ{N:0}12345", "width must be 1 to 8"},
        {"ZQ{N:6", "without its \"}\""},
        {"ZQ}{N:5}", "\"}\" without its \"{\""},
        {"ZQ {N:5}", "outside ASCII 0x21-0x7E"},
        {"ZQ{WW}{N:4}", "{WW} without {YY}"},
        {"ZQ{MM}{N:4}", "{MM} without {YY}"},
        {"Z{YY}{DD}{N:3}", "{DD} without {MM}"},
        {"Z{YY}{YY}{N:3}", "{YY} twice"},
        {"ZQ{N:5}{C}", "which does not hold \"Z\""},
        {"zq{X:5}{C}", "hexadecimal (0-9, A-F), which does not hold \"z\""},
        {"12{N:4}{C}{C}", "{C} twice"},
    };
    for (const Case& c : cases) {
        Result<SerialFormat> parse = ParseSerialFormat(c.format);
        ASSERT_FALSE(parse) << c.format;
        const std::string& problem = parse.Err().message;
        EXPECT_NE(problem.find(c.why), std::string::npos) << c.format << ": " << problem;
        EXPECT_EQ(problem.find(std::string("\"") + c.format + "\""), 0u) << problem;
    }
}

TEST(SerialFormat, ExpandsDateFieldsAndCounterAndReadsTheSerialBack) {
    struct Case {
        const char* format;
        CalendarDate date;
        uint64_t counter;
        const char* serial;
        const char* period;
        uint64_t capacity;
    } cases[] = {
        {"Z{YY}{WW}{N:3}", On(2027, 1, 1), 7, "Z2653007", "2653", 999},
        {"{YY}{MM}{DD}{X:2}", On(2026, 12, 8), 255, "261208FF", "261208", 255},
        {"Q{YY}{Z:5}", On(2026, 3, 1), 36, "Q2600010", "26", 60466175},
        {"SN{N:6}", On(2026, 3, 1), 42, "SN000042", "", 999999},
        {"{YY}{WW}{A:4}", On(2026, 12, 8), 34, "26500010", "2650", 1336335},
    };
    for (const Case& c : cases) {
        SerialFormat format = Format(c.format);
        EXPECT_EQ(Expand(format, c.date, c.counter), c.serial) << c.format;
        EXPECT_EQ(PeriodOf(format, c.date), c.period) << c.format;
        EXPECT_EQ(Capacity(format), c.capacity) << c.format;
        std::optional<FormatReading> back = ReadSerial(format, c.serial);
        ASSERT_TRUE(back) << c.serial;
        EXPECT_EQ(back->period, c.period);
        EXPECT_EQ(back->counter, c.counter);
    }
    SerialFormat format = Format("SN{N:6}");
    EXPECT_FALSE(ReadSerial(format, "SN000000")) << "the counter counts from 1";
    EXPECT_FALSE(ReadSerial(format, "XN000001"));
    EXPECT_FALSE(ReadSerial(format, "SN00001"));
}

TEST(SerialFormat, DatesAtAnOffsetFromUtc) {
    SerialFormat format = Format("{YY}{MM}{DD}{N:2}");
    // 20:00 UTC on New Year's Eve is already 1 January at +08:00, still 31 December at -05:00.
    EXPECT_EQ(Expand(format, On(2026, 12, 31, 8 * 60, 20), 1), "27010101");
    EXPECT_EQ(Expand(format, On(2026, 12, 31, 0, 20), 1), "26123101");
    EXPECT_EQ(Expand(format, On(2027, 1, 1, -5 * 60, 2), 1), "26123101");
    EXPECT_EQ(ParseUtcOffset("-03:30"), -210);
    for (const char* bad : {"+14:01", "-12:30", "08:00", "+08:60"}) {
        EXPECT_FALSE(ParseUtcOffset(bad)) << bad;
    }
}

// Every day from Monday 29 December 2025 to Monday 4 January 2027: the week number moves on
// exactly on Mondays, and the days around each New Year are in the other year's week.
TEST(CalendarDate, IsoWeeksAcrossTwoYearEnds) {
    sys_days first = year{2025} / December / 29;
    sys_days last = year{2027} / January / 4;
    CalendarDate previous = DateAt(first, 0);
    EXPECT_EQ(previous.isoYear * 100 + static_cast<int>(previous.isoWeek), 202601);
    for (sys_days day = first + days(1); day <= last; day += days(1)) {
        CalendarDate date = DateAt(day + hours(23), 0);
        int week = date.isoYear * 100 + static_cast<int>(date.isoWeek);
        int before = previous.isoYear * 100 + static_cast<int>(previous.isoWeek);
        if (weekday(day) == Monday) {
            EXPECT_EQ(week, before == 202653 ? 202701 : before + 1)
                << date.year << date.month << date.day;
        } else {
            EXPECT_EQ(week, before) << date.year << "-" << date.month << "-" << date.day;
        }
        previous = date;
    }
    EXPECT_EQ(previous.isoYear * 100 + static_cast<int>(previous.isoWeek), 202701);
    CalendarDate newYear = On(2027, 1, 1);
    EXPECT_EQ(newYear.isoYear * 100 + static_cast<int>(newYear.isoWeek), 202653);
    EXPECT_EQ(newYear.year, 2027);
}

TEST(CheckCharacter, KnownLuhnVectorsAndEverySingleMistypeCaught) {
    EXPECT_EQ(LuhnCheckCharacter(*AlphabetOfField('N'), "7992739871"), '3');
    CounterAlphabet sixLetters{'?', "a-f", "abcdef"};
    EXPECT_EQ(LuhnCheckCharacter(sixLetters, "abcdef"), 'e');
    EXPECT_FALSE(LuhnCheckCharacter(*AlphabetOfField('X'), "12G4"));

    // One character changed anywhere in a serial of each alphabet: the check no longer fits.
    for (const char* text : {"12{YY}{N:3}{C}", "A{YY}{X:4}{C}", "{YY}{A:5}{C}", "{YY}{Z:5}{C}"}) {
        SerialFormat format = Format(text);
        std::string serial = Expand(format, On(2026, 12, 8), 471);
        ASSERT_TRUE(ReadSerial(format, serial)) << serial;
        for (size_t at = 0; at < serial.size(); at++) {
            for (char other : format.counter->digits) {
                std::string typo = serial;
                typo[at] = other;
                if (typo != serial) {
                    EXPECT_FALSE(ReadSerial(format, typo)) << serial << " read as " << typo;
                }
            }
        }
    }
}

TEST(CounterAlphabet, BaseThirtyFourCountsWithoutIAndO) {
    SerialFormat format = Format("{YY}{MM}X{A:2}Q");
    EXPECT_EQ(Capacity(format), 34u * 34 - 1);
    std::set<std::string> seen;
    for (uint64_t counter = 1; counter <= Capacity(format); counter++) {
        std::string serial = Expand(format, On(2026, 12, 8), counter);
        std::string count = serial.substr(5, 2);
        EXPECT_EQ(count.find_first_of("IO"), std::string::npos) << serial;
        EXPECT_EQ(ReadSerial(format, serial)->counter, counter) << serial;
        seen.insert(serial);
    }
    EXPECT_EQ(seen.size(), Capacity(format));
    EXPECT_EQ(Expand(format, On(2026, 12, 8), 18), "2612X0JQ") << "H, then J";
    EXPECT_EQ(Expand(format, On(2026, 12, 8), 23), "2612X0PQ") << "N, then P";
    EXPECT_EQ(Expand(format, On(2026, 12, 8), 1155), "2612XZZQ");
}

}  // namespace
