// Programs the Windows-side benchmarks start: paths from the build, and a quiet start.
#pragma once

#include <windows.h>

#include <string>

// A path as the build hands it over (a Unix path under Wine: drive Z: is the Unix root).
std::string WindowsPath(std::string path);

// Starts exe with the arguments, without a window, every standard handle on NUL; false when it
// cannot be started.
bool StartQuiet(const std::string& exe, const std::string& arguments, PROCESS_INFORMATION& process);
