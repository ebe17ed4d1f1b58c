#include "chip_map.h"

#include "chip_model.h"

std::vector<uint8_t> ReadOrder() {
    std::vector<uint8_t> order = {0x00, 0x03, 0x04, 0x05, 0x06, 0x07};
    for (uint8_t address = 0x10; address <= 0x17; address++) {
        order.push_back(address);
    }
    for (uint8_t address = 0x1A; address <= 0x3F; address++) {
        order.push_back(address);
    }
    return order;
}

bool IsUnusedAddress(unsigned address) {
    return (address >= 0x01 && address <= 0x02) || (address >= 0x08 && address <= 0x0F) ||
           (address >= 0x18 && address <= 0x19) || address > 0x3F;
}

std::vector<uint8_t> ChipImage::Bytes() const {
    std::vector<uint8_t> bytes(CHIP_MEMORY_SIZE, 0xFF);
    bytes[0x00] = 0x5B;
    if (locked) {
        bytes[CHIP_LOCK_ADDRESS] = CHIP_LOCK_VALUE;
    }
    bytes[0x04] = static_cast<uint8_t>(vendorId & 0xFF);
    bytes[0x05] = static_cast<uint8_t>(vendorId >> 8);
    bytes[0x06] = static_cast<uint8_t>(productId & 0xFF);
    bytes[0x07] = static_cast<uint8_t>(productId >> 8);
    for (size_t i = 0; i < 8; i++) {
        bytes[0x10 + i] = i < serial.size() ? static_cast<uint8_t>(serial[i]) : 0;
    }
    for (size_t address = 0x1A; address <= 0x3F; address++) {
        bytes[address] = 0;
    }
    if (productPresent) {
        bytes[0x1A] = static_cast<uint8_t>((product.size() + 1) * 2);
        bytes[0x1B] = 3;
        for (size_t i = 0; i < product.size() && i < 18; i++) {
            bytes[0x1C + 2 * i] = static_cast<uint8_t>(product[i] & 0xFF);
            bytes[0x1D + 2 * i] = static_cast<uint8_t>(product[i] >> 8);
        }
    }
    return bytes;
}
