#include "beside_job.h"

#include <string>

#include "command_failure.h"
#include "exit_codes.h"

namespace {

// What the job names in an option's place: "--serial-format" -> "the serials".
std::string WhatItNames(const std::string& option) {
    if (option.rfind("--serial", 0) == 0 || option == "--utc-offset") {
        return "the serials";
    }
    if (option.rfind("--lease", 0) == 0) {
        return "the lease";
    }
    return "the " + option.substr(2);
}

}  // namespace

void RefuseBesideJob(const CLI::App& command, std::span<const char* const> options) {
    for (const char* option : options) {
        if (command.count(option) > 0) {
            throw CommandFailure{EXIT_BAD_USAGE, std::string(option) + ": the job file names " +
                                                     WhatItNames(option)};
        }
    }
}
