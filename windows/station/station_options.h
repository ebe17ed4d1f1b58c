// The station's command line: exactly a batch's options, read by the parser every program that
// runs a batch shares, so a shortcut starts a station with what a script gives zq61prog batch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch_options.h"
#include "station_texts.h"

struct StationCommand {
    // --audit: an audit station, with job, or sequence, ledger and station, ports and count
    // from options; nothing else of a batch's is taken.
    bool audit = false;
    BatchOptions options;
    std::string output;  // the help or the version asked for, to show instead of starting
};

// args: UTF-8, the program's name first. Throws a CommandFailure (EXIT_BAD_USAGE) with the
// parser's message, the text zq61prog batch prints after its own name.
StationCommand ParseStationCommand(const std::vector<std::string>& args);

// The window's language as --lang names it, the option taken out of args (so the set-up form
// still comes up for a command line that names only the language); nothing when it is not
// given. A value other than zh-CN or en is refused as a bad value of any option is.
std::optional<Language> TakeLanguageOption(std::vector<std::string>& args);
// The language ZQ61_LANG names (value: its text); nothing when it is empty; refused, naming the
// variable, when it names none.
std::optional<Language> LanguageOfEnvironment(const std::string& value);
