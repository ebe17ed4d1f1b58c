#include "chip_identity.h"

#include <cstring>
#include <string>

#include "string_descriptor.h"

Result<RecordPtr> BuildRecord(const ChipIdentity& identity) {
    if (identity.serial && identity.serial->size() > SERIAL_CHARS) {
        return Fail("the serial " + *identity.serial + " is longer than the chip's " +
                    std::to_string(SERIAL_CHARS) + " characters");
    }
    RecordPtr record = NewRecord();
    record->configured = 1;
    record->writeProtected = identity.lock ? 1 : 0;
    record->vendorId = identity.vendorId;
    record->productId = identity.productId;
    if (identity.serial) {
        record->serialPresent = 1;
        // Bytes past the serial stay 0: the chip never keeps a stale tail.
        std::memcpy(record->serial, identity.serial->data(), identity.serial->size());
    }
    if (identity.product) {
        record->productPresent = 1;
        StoreDescriptorUnits(reinterpret_cast<const uint16_t*>(identity.product->data()),
                             static_cast<int>(identity.product->size()), *record);
    }
    return record;
}
