#include "frame_protocol.h"

int WriteByte(BytePort& port, uint8_t address, uint8_t value) {
    const uint8_t frame[FRAME_SIZE] = {FRAME_LEAD, FRAME_WRITE, address, value};
    uint32_t written = 0;
    // The count written is deliberately not compared: the driver takes a frame whole or fails.
    return port.WriteBytes(frame, FRAME_SIZE, &written) ? 1 : 0;
}

int ReadByte(BytePort& port, uint8_t address, uint8_t& value) {
    value = 0xFF;
    const uint8_t frame[FRAME_SIZE] = {FRAME_LEAD, FRAME_READ, address, 0x00};
    uint32_t written = 0;
    if (!port.WriteBytes(frame, FRAME_SIZE, &written)) {
        return 0;
    }
    uint32_t received = 0;
    // A time-out is a successful read of 0 bytes; only exactly one byte counts as an answer.
    if (!port.ReadBytes(&value, 1, &received)) {
        return 0;
    }
    return received == 1 ? 1 : 0;
}
