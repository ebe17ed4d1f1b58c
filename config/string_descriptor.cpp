#include "string_descriptor.h"

void StoreDescriptorUnits(const uint16_t* units, int count, ConfigRecord& record) {
    if (count < 0) {
        count = 0;
    }
    if (count > PRODUCT_UNITS) {
        count = PRODUCT_UNITS;
    }
    for (int i = 0; i < count; i++) {
        record.productDescriptor[2 + 2 * i] = static_cast<uint8_t>(units[i] & 0xFF);
        record.productDescriptor[2 + 2 * i + 1] = static_cast<uint8_t>(units[i] >> 8);
    }
    record.productDescriptor[0] = static_cast<uint8_t>((count + 1) * 2);
    record.productDescriptor[1] = STRING_DESCRIPTOR_TYPE;
}

uint16_t DescriptorUnit(const ConfigRecord& record, int index) {
    const uint8_t* unit = &record.productDescriptor[2 + 2 * index];
    return static_cast<uint16_t>(unit[0] | (unit[1] << 8));
}

int DescriptorUnitCount(const ConfigRecord& record) {
    int count = record.productDescriptor[0] / 2 - 1;
    if (count < 0) {
        return 0;
    }
    return count > PRODUCT_UNITS ? PRODUCT_UNITS : count;
}
