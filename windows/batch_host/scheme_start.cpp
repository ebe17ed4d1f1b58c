#include "scheme_start.h"

#include "scheme_choice.h"
#include "whole_file.h"

std::unique_ptr<SerialScheme> StartScheme(const SchemeOptions& options,
                                          const std::string* listText) {
    if (listText != nullptr) {
        return SchemeOf(options, *listText, [] { return std::chrono::system_clock::now(); });
    }
    const std::string read =
        options.serialList.empty() ? "" : ReadOptionFile("--serial-list", options.serialList);
    return SchemeOf(options, read, [] { return std::chrono::system_clock::now(); });
}
