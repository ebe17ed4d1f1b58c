// The simulated chip in-process, behind the frame protocol's port seam: what a serial port with
// the chip behind it does, minus the waiting. A read with no reply waiting is a time-out:
// success with 0 bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "byte_port.h"
#include "chip_model.h"

class ChipPort : public BytePort {
public:
    explicit ChipPort(uint8_t fill = 0xFF);
    bool WriteBytes(const uint8_t* bytes, uint32_t count, uint32_t* written) override;
    bool ReadBytes(uint8_t* dest, uint32_t count, uint32_t* read) override;

    ChipModel& Chip() { return *chip_; }
    std::vector<ChipLogEntry> Log() const;
    // The bytes of every write call, in order, as they reached the port.
    const std::vector<std::vector<uint8_t>>& Writes() const { return writes_; }
    uint32_t ReadCalls() const { return readCalls_; }

private:
    std::unique_ptr<ChipModel> chip_;  // large: keep it off the stack
    uint32_t readCalls_ = 0;
    std::vector<std::vector<uint8_t>> writes_;
};
