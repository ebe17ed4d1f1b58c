// Programs the Windows-side benchmarks start quietly. Paths from the build go through the
// tests' WindowsPath (app_session.h).
#pragma once

#include <windows.h>

#include <string>

#include "app_session.h"

// Starts exe with the arguments, without a window, every standard handle on NUL; false when it
// cannot be started.
bool StartQuiet(const std::string& exe, const std::string& arguments, PROCESS_INFORMATION& process);
