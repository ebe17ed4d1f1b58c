// The console programmer's command line: its commands, options and help, read with CLI11.
#pragma once

#include <string>
#include <vector>

struct CommandLine {
    std::string command;  // "list", "read", "write" or "batch"
    bool json = false;
    std::string port;  // empty: the only chip port present
    std::string vid;
    std::string pid;
    std::string serial;
    bool serialGiven = false;
    std::string product;
    bool lock = false;
    bool yes = false;
    // batch
    std::string serialFrom;
    std::string log;
    int count = 0;  // 0: no limit
    // The help or the version asked for, to print instead of running a command.
    std::string output;
};

// Reads the arguments (UTF-8, program name first). Throws a CommandFailure for a bad one.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// True when the arguments ask for JSON, so that even a refusal of the command line is JSON.
bool WantsJson(const std::vector<std::string>& args);

// One refusal: a line on standard error, or a JSON object on standard output with --json.
void WriteRefusal(bool json, const std::string& message);
