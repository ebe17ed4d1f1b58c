// The tools' frames in a plain loop, nothing else: the yardstick the benchmarks measure the
// tools' own cost against.
#pragma once

#include <windows.h>

// The 52 read frames of a whole read, in the tools' order; false at the first that fails.
bool ReadAll(HANDLE port);
// The 51 write frames of a write without the lock.
bool WriteAll(HANDLE port);
