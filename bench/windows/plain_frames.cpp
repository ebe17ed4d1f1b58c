#include "plain_frames.h"

#include <cstdint>

namespace {

bool Frame(HANDLE port, uint8_t command, uint8_t address, uint8_t value, bool answered) {
    const uint8_t frame[4] = {0x40, command, address, value};
    DWORD done = 0;
    if (!WriteFile(port, frame, 4, &done, nullptr)) {
        return false;
    }
    uint8_t reply = 0;
    return !answered || (ReadFile(port, &reply, 1, &done, nullptr) && done == 1);
}

}  // namespace

bool ReadAll(HANDLE port) {
    const uint8_t runs[][2] = {{0x00, 1}, {0x03, 1}, {0x04, 4}, {0x10, 8}, {0x1A, 38}};
    for (const auto& run : runs) {
        for (uint8_t i = 0; i < run[1]; i++) {
            if (!Frame(port, 0xA1, static_cast<uint8_t>(run[0] + i), 0, true)) {
                return false;
            }
        }
    }
    return true;
}

bool WriteAll(HANDLE port) {
    const uint8_t runs[][2] = {{0x00, 1}, {0x04, 4}, {0x10, 8}, {0x1A, 38}};
    for (const auto& run : runs) {
        for (uint8_t i = 0; i < run[1]; i++) {
            uint8_t address = static_cast<uint8_t>(run[0] + i);
            if (!Frame(port, 0xA0, address, address == 0 ? 0x5B : 0x20, false)) {
                return false;
            }
        }
    }
    return true;
}
