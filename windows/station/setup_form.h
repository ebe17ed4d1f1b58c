// The set-up form of a station started without options: it asks for a batch's options and
// hands them, as a command line, to the same parser a shortcut's options go through, so every
// value gets the same check and the same message.
#pragma once

#include <string>
#include <vector>

#include "batch_start.h"

struct SetupValues {
    // One of the three serial schemes; the parser refuses none or two.
    std::wstring serialFrom;
    std::wstring serialFormat;
    std::wstring utcOffset;
    std::wstring serialList;
    std::wstring log;
    std::wstring count;
    std::wstring vid;
    std::wstring pid;
    std::wstring product;
    bool lock = false;
};

// The options' own defaults, as the parser sets them.
SetupValues DefaultSetupValues();

// The values as the command line that asks for them (UTF-8, the program's name first). A field
// left empty leaves its option out when the option may be left out or must be given (so the
// parser names it); an identity field left empty is passed empty, for the parser to refuse.
std::vector<std::string> SetupArguments(const SetupValues& values);

// Shows the form until its values start a batch (true: start holds it) or the operator cancels
// (false). A refusal is shown over the form, which keeps what was typed.
bool RunSetupForm(SetupValues& values, RunStart& start);
