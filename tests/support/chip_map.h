// The chip's memory map as the tests know it, written down apart from the tool's own code: the
// order a whole read visits the addresses, the addresses the tool never touches, and whole
// memory images built from field values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The 52 addresses of a whole read, in the order the chip must see them: marker 0x00, lock 0x03,
// IDs 0x04-0x07, serial 0x10-0x17, product string 0x1A-0x3F. A write sends the same without the
// lock, and the lock last when it is set.
std::vector<uint8_t> ReadOrder();

// Addresses the tool has no business touching.
bool IsUnusedAddress(unsigned address);

// A chip's 64 bytes as the tool writes them: blank (0xFF) where the tool never writes, the given
// values elsewhere.
struct ChipImage {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::string serial;          // up to 8 bytes, zero-padded
    std::u16string product;      // up to 18 code units, zero-padded
    bool productPresent = true;  // descriptor length and type 3, else all zero
    bool locked = false;         // 0x57 at 0x03, else left blank

    std::vector<uint8_t> Bytes() const;
};
