// The chip's request frames and the two single-byte operations built on them.
#pragma once

#include <cstdint>

#include "byte_port.h"

inline constexpr uint8_t FRAME_LEAD = 0x40;
inline constexpr uint8_t FRAME_WRITE = 0xA0;
inline constexpr uint8_t FRAME_READ = 0xA1;
inline constexpr int FRAME_SIZE = 4;

// Stores value at address: one write frame, no answer expected. 1 when the write call succeeded.
int WriteByte(BytePort& port, uint8_t address, uint8_t value);

// Reads the byte at address: one read frame, then a 1-byte read. value is 0xFF until a byte
// arrives. 1 only when both calls succeeded and exactly one byte came back.
int ReadByte(BytePort& port, uint8_t address, uint8_t& value);
