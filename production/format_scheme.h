// --serial-format: serials expanded from a factory's format at the clock's date (UTC, or a fixed
// offset from it). Its counter goes on after the highest the records have used in the current
// period, and starts again at 1 in a new one; when a period's counter is used up, no serial is
// handed out until the next period.
#pragma once

#include <map>

#include "serial_format.h"
#include "serial_scheme.h"

class FormatScheme : public SerialScheme {
public:
    FormatScheme(SerialFormat format, int offsetMinutes, SerialClock clock);

    void MarkUsed(const std::string& serial) override;
    SchemeNext Next() override;
    std::string ResumedAfter() override;
    std::string Capacity() const override;

private:
    const SerialFormat format_;
    const int offsetMinutes_;
    const SerialClock clock_;
    std::map<std::string, uint64_t> highest_;  // the highest counter used, per period
};
