// Ctrl+C and Ctrl+Break for a batch: they ask it to stop instead of killing it, so the chips in
// progress finish and are logged.
#pragma once

// Installs the handler; call once, before the batch starts.
void InstallBreakHandler();
// True once Ctrl+C or Ctrl+Break came.
bool BreakRequested();
