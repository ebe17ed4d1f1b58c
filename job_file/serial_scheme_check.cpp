#include "serial_scheme_check.h"

#include "value_checks.h"

Status CheckSerialScheme(const std::string& format, const std::string* utcOffset) {
    if (Status checked = CheckSerialFormat(format); !checked) {
        return Fail("serial-format: " + checked.Err().message);
    }
    if (utcOffset != nullptr) {
        if (Status checked = CheckUtcOffset(*utcOffset); !checked) {
            return Fail("utc-offset: " + checked.Err().message);
        }
    }
    return {};
}
