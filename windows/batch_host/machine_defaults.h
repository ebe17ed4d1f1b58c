// What this computer supplies when a command line is silent: the line's ledger from the
// environment and the computer's name for a station.
#pragma once

#include "batch_options.h"

// ZQ61_LEDGER, or the older name ZQ_LEDGER when only that is set; the computer's name, or
// "station" when Windows cannot say it.
MachineDefaults ThisMachine();
