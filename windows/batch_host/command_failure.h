// How a command gives up at a program's edge: it throws a CommandFailure with the exit code and
// the one message that says why, and main prints it, once, as a line or as a JSON object. The
// cores below never throw: they answer with a Result, which the edge turns into a failure here.
#pragma once

#include <string>
#include <utility>

#include "exit_codes.h"
#include "result.h"

struct CommandFailure {
    int exitCode;
    std::string message;
};

// A refusal of the options (or any check of a command's values) as the command's failure.
inline void ThrowIfRefused(const Status& checked, int exitCode = EXIT_BAD_USAGE) {
    if (!checked) {
        throw CommandFailure{exitCode, checked.Err().message};
    }
}

// A value a command cannot go on without, or its error as the command's failure.
template <typename T>
T ValueOrThrow(Result<T> answer, int exitCode = EXIT_BAD_USAGE) {
    if (!answer) {
        throw CommandFailure{exitCode, answer.Err().message};
    }
    return std::move(*answer);
}
