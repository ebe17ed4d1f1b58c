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
        SerialList list = ReadSerialList(listText, CheckSerial);
        if (!list.problem.empty()) {
            throw CommandFailure{EXIT_BAD_USAGE,
                                 "--serial-list: " + options.serialList + ": " + list.problem};
        }
        return std::make_unique<ListScheme>(std::move(list.serials));
    }
    return std::make_unique<CountingScheme>(*SerialSequence::From(options.serialFrom));
}
