#include "scheme_start.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "scheme_choice.h"
#include "whole_file.h"

namespace {

std::unique_ptr<SerialScheme> SchemeOrThrow(const SchemeOptions& options,
                                            const std::string& listText) {
    Result<std::unique_ptr<SerialScheme>> scheme =
        SchemeOf(options, listText, [] { return std::chrono::system_clock::now(); });
    if (!scheme) {
        throw CommandFailure{EXIT_BAD_USAGE, scheme.Err().message};
    }
    return std::move(*scheme);
}

}  // namespace

std::unique_ptr<SerialScheme> StartScheme(const SchemeOptions& options,
                                          const std::string* listText) {
    if (listText != nullptr) {
        return SchemeOrThrow(options, *listText);
    }
    std::string read;
    if (!options.serialList.empty()) {
        Result<std::string, DWORD> text = ReadWholeFile(options.serialList);
        if (!text) {
            throw CommandFailure{EXIT_BAD_USAGE, "--serial-list: cannot read " +
                                                     options.serialList + " (error " +
                                                     std::to_string(text.Err()) + ")"};
        }
        read = std::move(*text);
    }
    return SchemeOrThrow(options, read);
}
