#include "scheme_start.h"

#include "command_failure.h"
#include "scheme_choice.h"
#include "whole_file.h"

namespace {

std::unique_ptr<SerialScheme> SchemeOrThrow(const SchemeOptions& options,
                                            const std::string& listText) {
    return ValueOrThrow(
        SchemeOf(options, listText, [] { return std::chrono::system_clock::now(); }));
}

}  // namespace

std::unique_ptr<SerialScheme> StartScheme(const SchemeOptions& options,
                                          const std::string* listText) {
    if (listText != nullptr) {
        return SchemeOrThrow(options, *listText);
    }
    const std::string read =
        options.serialList.empty() ? "" : ReadOptionFile("--serial-list", options.serialList);
    return SchemeOrThrow(options, read);
}
