#include "scheme_choice.h"

#include "calendar_date.h"
#include "counting_scheme.h"
#include "format_scheme.h"
#include "list_scheme.h"
#include "serial_list.h"
#include "value_checks.h"

Result<std::unique_ptr<SerialScheme>> SchemeOf(const SchemeOptions& options,
                                               const std::string& listText, SerialClock clock) {
    // The options' values were checked when they were read: they parse.
    if (!options.serialFormat.empty()) {
        return std::unique_ptr<SerialScheme>(std::make_unique<FormatScheme>(
            *ParseSerialFormat(options.serialFormat), ParseUtcOffset(options.utcOffset).value_or(0),
            std::move(clock)));
    }
    if (!options.serialList.empty()) {
        Result<std::vector<std::string>> list =
            CheckedListSerials("--serial-list: " + options.serialList, listText);
        if (!list) {
            return Fail(list.Err());
        }
        return std::unique_ptr<SerialScheme>(std::make_unique<ListScheme>(std::move(*list)));
    }
    return std::unique_ptr<SerialScheme>(
        std::make_unique<CountingScheme>(*SerialSequence::From(options.serialFrom)));
}

Result<std::vector<std::string>> CheckedListSerials(const std::string& where,
                                                    const std::string& text) {
    Result<std::vector<std::string>> list = ReadSerialList(text, CheckSerial);
    if (!list) {
        return Fail(where + ": " + list.Err().message);
    }
    return list;
}
