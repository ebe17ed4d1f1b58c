// Chips behind port names, in-process: what a batch opens when no driver is there. Each port's
// chip stays between turns, as a board stays in its socket.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "chip_opener.h"
#include "chip_port.h"

class InProcessChips : public ChipOpener {
public:
    // A blank chip on the port; the same chip again when asked twice.
    ChipPort& Chip(const std::string& port) {
        std::unique_ptr<ChipPort>& chip = chips_[port];
        if (!chip) {
            chip = std::make_unique<ChipPort>();
        }
        return *chip;
    }
    // Ports must be set up with Chip before any worker opens them.
    Result<std::unique_ptr<BytePort>> Open(const std::string& port) override {
        auto found = chips_.find(port);
        if (found == chips_.end()) {
            return Fail("cannot open " + port);
        }
        return std::unique_ptr<BytePort>(std::make_unique<Lease>(*found->second));
    }

private:
    struct Lease : BytePort {
        explicit Lease(ChipPort& chip) : chip(chip) {}
        bool WriteBytes(const uint8_t* bytes, uint32_t count, uint32_t* written) override {
            return chip.WriteBytes(bytes, count, written);
        }
        bool ReadBytes(uint8_t* dest, uint32_t count, uint32_t* read) override {
            return chip.ReadBytes(dest, count, read);
        }
        ChipPort& chip;
    };
    std::map<std::string, std::unique_ptr<ChipPort>> chips_;
};
