// The console programmer's commands. Each returns the exit code of a result it has reported,
// or throws a CommandFailure.
#pragma once

#include <span>
#include <string>

#include "command_line.h"

int RunList(const CommandLine& line);
int RunRead(const CommandLine& line);
int RunWrite(const CommandLine& line);
int RunBatch(const CommandLine& line);
int RunLedger(const CommandLine& line);
int RunSerials(const CommandLine& line);
int RunCapture(const CommandLine& line);
int RunAudit(const CommandLine& line);
int RunLabel(const CommandLine& line);
int RunLogReport(const CommandLine& line);
int RunTrace(const CommandLine& line);

struct Command {
    const char* name;
    int (*run)(const CommandLine& line);
};

inline constexpr Command kCommands[] = {
    {"list", RunList},     {"read", RunRead},        {"write", RunWrite}, {"batch", RunBatch},
    {"ledger", RunLedger}, {"serials", RunSerials},  {"label", RunLabel}, {"capture", RunCapture},
    {"audit", RunAudit},   {"report", RunLogReport}, {"trace", RunTrace},
};

// Runs the table's command of that name. The parser refuses a name it does not know, so a name
// missing here is a command defined there but never given a run: refused all the same.
int RunCommand(std::span<const Command> table, const std::string& name, const CommandLine& line);
