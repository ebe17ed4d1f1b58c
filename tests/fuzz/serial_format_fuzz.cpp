// The serial format's parser. Whatever the bytes, it never crashes; a format it accepts expands,
// at any date and counter of its capacity, to exactly 8 characters a single write accepts, which
// read back as the same period and counter.
#include <chrono>
#include <cstdlib>

#include "fuzz_input.h"
#include "serial_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    uint64_t counter = 0;
    int64_t hours = 0;
    for (int i = 0; i < 4; i++) {
        counter = counter << 8 | input.Byte();
        hours = hours << 8 | input.Byte();
    }
    std::string text = input.Text(40);
    Result<SerialFormat> parse = ParseSerialFormat(text);
    Check(parse.Ok() || !parse.Err().message.empty());
    if (!parse) {
        return 0;
    }
    const SerialFormat& format = *parse;
    counter = 1 + counter % Capacity(format);
    // Any hour of the years 2000 to 2099, a day clear of each end for the UTC offset: a two-digit
    // year reads back as 20YY, and whether it has a week 53 is that year's.
    constexpr int64_t kFirstHour = 10'958 * 24, kHours = 36'522 * 24 - 48;
    auto when =
        std::chrono::system_clock::time_point(std::chrono::hours(kFirstHour + hours % kHours));
    CalendarDate date = DateAt(when, static_cast<int>(hours % 1501) - 720);
    std::string serial = Expand(format, date, counter);
    Check(serial.size() == 8);
    for (char c : serial) {
        Check(c >= 0x21 && c <= 0x7E);
    }
    std::optional<FormatReading> back = ReadSerial(format, serial);
    Check(back && back->counter == counter && back->period == PeriodOf(format, date));
    return 0;
}
