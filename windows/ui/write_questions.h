// The questions asked before a Write Config whose result the user may not expect: an ID text
// that does not say what will be stored, and a lock that can never be undone.
#pragma once

#include <string>

#include "config_record.h"

// Empty when both ID texts are exactly four hexadecimal digits; otherwise names each text that
// is not and the value the gathered record will store in its place.
std::wstring IdQuestion(const char* vendorIdText, const char* productIdText,
                        const ConfigRecord& record);

// The warning for a write with the lock: what will be written, and that it is final.
std::wstring LockQuestion(const ConfigRecord& record);
