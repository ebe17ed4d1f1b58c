// What a record holds, as text: one copy of the rules every program reads a record's serial and
// product string by, and of how an ID is written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "chip_identity.h"
#include "config_record.h"

// Four upper-case hexadecimal digits: "2E1B".
std::string HexId(uint16_t id);

// The product string's code units as a USB host is told them: as many as the descriptor's
// length byte announces. Empty optional when the record holds no product string.
std::optional<std::u16string> ProductUnits(const ConfigRecord& record);
// The same as UTF-8, an unpaired surrogate shown as U+FFFD so that any chip's bytes can be shown.
std::optional<std::string> ProductText(const ConfigRecord& record);

// The serial's bytes up to the first zero, as UTF-8; a byte outside ASCII stands for the
// character of the same number (Latin-1). Empty optional when the record holds no serial.
std::optional<std::string> SerialText(const ConfigRecord& record);

// True when the record is configured with the identity's IDs and product string, and with its
// serial when the identity names one. The lock is left aside: a locked chip is never rewritten.
bool HoldsIdentity(const ConfigRecord& record, const ChipIdentity& identity);
