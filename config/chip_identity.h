// A chip's USB identity as values, and the one place a record to be written is built from them.
// The dialog's form and the console programmer's options both end here, so for the same identity
// both programs write the same bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "config_record.h"
#include "result.h"

struct ChipIdentity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    // Absent: no serial is stored (zeros). Present: up to 8 single-byte characters; a longer one
    // is refused, never cut: two serials that differ only past the eighth would both reach
    // their chips as the same one.
    std::optional<std::string> serial;
    // Absent: no product string is stored (zeros). Present: up to 18 UTF-16 code units; more are
    // cut.
    std::optional<std::u16string> product;
    bool lock = false;
};

// A new zero-filled record that stores the whole identity (configured), the lock only when asked;
// an error when the serial is longer than the chip holds.
Result<RecordPtr> BuildRecord(const ChipIdentity& identity);
