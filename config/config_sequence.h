// Whole configurations moved to and from the chip, one frame at a time, in a fixed order.
// Both stop at the first frame that fails.
#pragma once

#include "byte_port.h"
#include "config_record.h"

// Fills a zero-filled record from the chip (52 read frames) and derives its flags. Bytes read
// before a failure stay in the record.
int ReadConfig(BytePort& port, ConfigRecord& record);

// Stores a record in the chip: the marker alone when configured is 0; otherwise the marker, the
// IDs, the serial and the product string (51 frames), then the lock when asked (52). The lock
// is written last so a failed write never leaves a locked, half-written chip, and address 0x03
// is never written with anything but the lock value, so the tool never unlocks a chip.
int WriteConfig(BytePort& port, const ConfigRecord& record);
