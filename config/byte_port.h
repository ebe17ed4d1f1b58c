// What the frame protocol needs of an open serial port, and nothing more: write some bytes and
// read some bytes, each reporting success the way WriteFile and ReadFile do. A read that times
// out succeeds with 0 bytes.
#pragma once

#include <cstdint>

class BytePort {
public:
    virtual ~BytePort() = default;
    virtual bool WriteBytes(const uint8_t* bytes, uint32_t count, uint32_t* written) = 0;
    virtual bool ReadBytes(uint8_t* dest, uint32_t count, uint32_t* read) = 0;
};
