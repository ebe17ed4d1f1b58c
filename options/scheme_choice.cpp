#include "scheme_choice.h"

#include "calendar_date.h"
#include "command_failure.h"
#include "counting_scheme.h"
#include "exit_codes.h"
#include "format_scheme.h"
#include "list_scheme.h"
#include "serial_list.h"
#include "value_checks.h"

std::unique_ptr<SerialScheme> SchemeOf(const SchemeOptions& options, const std::string& listText,
                                       SerialClock clock) {
    // The options' values were checked when they were read: they parse.
    if (!options.serialFormat.empty()) {
        return std::make_unique<FormatScheme>(*ParseSerialFormat(options.serialFormat).format,
                                              ParseUtcOffset(options.utcOffset).value_or(0),
                                              std::move(clock));
    }
    if (!options.serialList.empty()) {
        return std::make_unique<ListScheme>(
            CheckedListSerials("--serial-list: " + options.serialList, listText));
    }
    return std::make_unique<CountingScheme>(*SerialSequence::From(options.serialFrom));
}

std::vector<std::string> CheckedListSerials(const std::string& where, const std::string& text) {
    SerialList list = ReadSerialList(text, CheckSerial);
    if (!list.problem.empty()) {
        throw CommandFailure{EXIT_BAD_USAGE, where + ": " + list.problem};
    }
    return std::move(list.serials);
}
