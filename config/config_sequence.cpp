#include "config_sequence.h"

#include "frame_protocol.h"

namespace {

int ReadRun(BytePort& port, uint8_t firstAddress, int count, uint8_t* dest) {
    for (int i = 0; i < count; i++) {
        if (!ReadByte(port, static_cast<uint8_t>(firstAddress + i), dest[i])) {
            return 0;
        }
    }
    return 1;
}

int WriteRun(BytePort& port, uint8_t firstAddress, int count, const uint8_t* values) {
    for (int i = 0; i < count; i++) {
        if (!WriteByte(port, static_cast<uint8_t>(firstAddress + i), values[i])) {
            return 0;
        }
    }
    return 1;
}

}  // namespace

int ReadConfig(BytePort& port, ConfigRecord& record) {
    uint8_t value = 0;
    if (!ReadByte(port, ADDR_MARKER, value)) {
        return 0;
    }
    // The marker never shortens the read: an unconfigured chip is read in full all the same.
    record.configured = IsConfiguredMarker(value);
    if (!ReadByte(port, ADDR_LOCK, value)) {
        return 0;
    }
    record.writeProtected = IsLockMarker(value);
    for (int i = 0; i < ID_BYTES; i++) {
        // Like the other bytes, an ID byte that got no answer holds the 0xFF pre-fill.
        int ok = ReadByte(port, static_cast<uint8_t>(ADDR_VENDOR_ID + i), value);
        SetIdByte(i, value, record);
        if (!ok) {
            return 0;
        }
    }
    if (!ReadRun(port, ADDR_SERIAL, SERIAL_CHARS, record.serial)) {
        return 0;
    }
    ApplySerialRule(record);
    if (!ReadRun(port, ADDR_PRODUCT, PRODUCT_BYTES, record.productDescriptor)) {
        return 0;
    }
    ApplyProductRule(record);
    return 1;
}

int WriteConfig(BytePort& port, const ConfigRecord& record) {
    if (!WriteByte(port, ADDR_MARKER, record.configured ? MARKER_CONFIGURED : 0x00)) {
        return 0;
    }
    if (!record.configured) {
        return 1;
    }
    uint8_t ids[ID_BYTES];
    for (int i = 0; i < ID_BYTES; i++) {
        ids[i] = GetIdByte(record, i);
    }
    // Presence flags are not consulted: an absent serial or string is stored as the zeros the
    // record holds, so the chip never keeps a stale one.
    if (!WriteRun(port, ADDR_VENDOR_ID, ID_BYTES, ids) ||
        !WriteRun(port, ADDR_SERIAL, SERIAL_CHARS, record.serial) ||
        !WriteRun(port, ADDR_PRODUCT, PRODUCT_BYTES, record.productDescriptor)) {
        return 0;
    }
    if (!record.writeProtected) {
        return 1;
    }
    return WriteByte(port, ADDR_LOCK, MARKER_LOCKED);
}
