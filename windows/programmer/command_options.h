// The options several of the console programmer's commands share, each said one way.
#pragma once

#include <CLI/CLI.hpp>

#include "command_line.h"

void AddJsonFlag(CLI::App& command, CommandLine& line);
// --port NAME: the chip's port; without it, the only chip port present.
void AddPortOption(CLI::App& command, CommandLine& line);
// --yes: --lock confirmed beforehand.
void AddYesFlag(CLI::App& command, CommandLine& line);
