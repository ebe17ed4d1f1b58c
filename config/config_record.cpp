#include "config_record.h"

#include <cstring>

RecordPtr NewRecord() {
    // Value-initialisation zero-fills the whole object, spare bytes included.
    return std::make_unique<ConfigRecord>();
}

uint8_t GetIdByte(const ConfigRecord& record, int index) {
    uint16_t id = index < 2 ? record.vendorId : record.productId;
    return (index % 2) == 0 ? static_cast<uint8_t>(id & 0xFF) : static_cast<uint8_t>(id >> 8);
}

void SetIdByte(int index, uint8_t value, ConfigRecord& record) {
    uint16_t& id = index < 2 ? record.vendorId : record.productId;
    if ((index % 2) == 0) {
        id = static_cast<uint16_t>((id & 0xFF00) | value);
    } else {
        id = static_cast<uint16_t>((id & 0x00FF) | (value << 8));
    }
}

int IsConfiguredMarker(uint8_t marker) {
    return marker == MARKER_CONFIGURED ? 1 : 0;
}

int IsLockMarker(uint8_t lock) {
    return lock == MARKER_LOCKED ? 1 : 0;
}

void ApplySerialRule(ConfigRecord& record) {
    uint8_t first = record.serial[0];
    if (first >= 0x21 && first <= 0x7F) {
        record.serialPresent = 1;
    }
}

void ApplyProductRule(ConfigRecord& record) {
    uint8_t length = record.productDescriptor[0];
    uint8_t type = record.productDescriptor[1];
    if (type == STRING_DESCRIPTOR_TYPE && length % 2 == 0 && length > 2 &&
        length <= PRODUCT_BYTES) {
        record.productPresent = 1;
    }
}

bool RecordsEqual(const ConfigRecord& a, const ConfigRecord& b) {
    return std::memcmp(&a, &b, sizeof(ConfigRecord)) == 0;
}
