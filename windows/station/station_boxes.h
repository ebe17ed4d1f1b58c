// The station's boxes, captioned in the operator's language: a refusal, in the words zq61prog
// prints for the same refusal (an option's check, the same on both), and
// the lock's question, asked once before the first board.
#pragma once

#include <windows.h>

#include <string>

void ShowRefusal(HWND owner, const std::string& message);
// Help or version text asked for on the command line.
void ShowNotice(const std::string& text);

// True when the operator confirms locking every board of the batch with the identity (its
// serials named as "serials from ZQ000001").
bool AskLockConsent(HWND owner, const std::string& identity);
