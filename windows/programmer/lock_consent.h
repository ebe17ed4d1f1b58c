// The lock can never be undone: it is written only with the user's yes, given on the console or
// beforehand with --yes.
#pragma once

#include <string>

// Refuses (throws a CommandFailure) when the lock would need a yes that cannot be asked for:
// input is not a console and --yes was not given. Called before anything is opened.
void RequireLockConsentPossible(bool lock, bool yes);

// Asks on the console whether to lock the chips named ("the chip on COM21", "every chip of this
// batch") for ever with the identity described; throws a CommandFailure unless the answer is yes.
void AskLockConsent(const std::string& chips, const std::string& identity);
