// A last resort against a run that stops moving: when no progress is marked for the limit, it
// says where the run stood and whether the stand-in driver still answers, and ends the process
// with a failure, rather than leaving it to the test runner's time-out to kill it silently.
#pragma once

#include <windows.h>

#include <string>

void StartWatchdog(DWORD limitMs);
// Marks progress: the case and the step the run is at now.
void Progress(const std::string& where);
// The exe under test, ended with the run when the watchdog bites.
void WatchProcess(DWORD processId);
