// The console programmer's commands; each returns the exit code.
#pragma once

#include "command_line.h"

int RunList(const CommandLine& line);
int RunRead(const CommandLine& line);
int RunWrite(const CommandLine& line);
int RunBatch(const CommandLine& line);
