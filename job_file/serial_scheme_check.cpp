#include "serial_scheme_check.h"

#include "value_checks.h"

std::string CheckSerialScheme(const std::string& format, const std::string* utcOffset) {
    std::string problem = CheckSerialFormat(format);
    if (!problem.empty()) {
        return "serial-format: " + problem;
    }
    if (utcOffset != nullptr) {
        problem = CheckUtcOffset(*utcOffset);
        if (!problem.empty()) {
            return "utc-offset: " + problem;
        }
    }
    return "";
}
