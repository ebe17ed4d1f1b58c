// How a command gives up: it throws a CommandFailure with the exit code and the one message
// that says why, and main prints it, once, as a line or as a JSON object.
#pragma once

#include <string>

struct CommandFailure {
    int exitCode;
    std::string message;
};
