#include "chip_identity.h"

#include <cstring>

#include "string_descriptor.h"

RecordPtr BuildRecord(const ChipIdentity& identity) {
    RecordPtr record = NewRecord();
    record->configured = 1;
    record->writeProtected = identity.lock ? 1 : 0;
    record->vendorId = identity.vendorId;
    record->productId = identity.productId;
    if (identity.serial) {
        record->serialPresent = 1;
        // Bytes past the serial stay 0: the chip never keeps a stale tail.
        size_t length =
            identity.serial->size() < SERIAL_CHARS ? identity.serial->size() : SERIAL_CHARS;
        std::memcpy(record->serial, identity.serial->data(), length);
    }
    if (identity.product) {
        record->productPresent = 1;
        StoreDescriptorUnits(reinterpret_cast<const uint16_t*>(identity.product->data()),
                             static_cast<int>(identity.product->size()), *record);
    }
    return record;
}
