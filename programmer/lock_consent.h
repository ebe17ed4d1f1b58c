// The lock can never be undone: it is written only with the user's yes, given on the console or
// beforehand with --yes.
#pragma once

#include <string>

#include "chip_identity.h"

// True when standard input is a console someone can answer on.
bool InputIsConsole();

// Asks on the console whether to lock the chip on port with this identity; true only for yes.
bool AskLockConsent(const std::string& port, const ChipIdentity& identity);
