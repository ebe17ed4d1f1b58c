// The identity a write or a batch stores, from options the command line has already checked.
#pragma once

#include "chip_identity.h"
#include "command_line.h"

ChipIdentity IdentityOf(const CommandLine& line);
