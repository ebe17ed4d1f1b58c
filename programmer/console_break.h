// Ctrl+C and Ctrl+Break for a batch: they ask it to stop instead of killing it, so the chips in
// progress finish and are logged.
#pragma once

#include <windows.h>

// Installs the handler (once) and returns the manual-reset event Ctrl+C or Ctrl+Break sets.
HANDLE BreakEvent();
// True once Ctrl+C or Ctrl+Break came.
bool BreakRequested();
