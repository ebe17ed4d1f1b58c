#include "scheme_start.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "scheme_choice.h"
#include "whole_file.h"

std::unique_ptr<SerialScheme> StartScheme(const SchemeOptions& options,
                                          const std::string* listText) {
    if (listText != nullptr) {
        return SchemeOf(options, *listText, [] { return std::chrono::system_clock::now(); });
    }
    std::string read;
    if (!options.serialList.empty()) {
        DWORD error = 0;
        std::optional<std::string> text = ReadWholeFile(options.serialList, error);
        if (!text) {
            throw CommandFailure{EXIT_BAD_USAGE, "--serial-list: cannot read " +
                                                     options.serialList + " (error " +
                                                     std::to_string(error) + ")"};
        }
        read = std::move(*text);
    }
    return SchemeOf(options, read, [] { return std::chrono::system_clock::now(); });
}
