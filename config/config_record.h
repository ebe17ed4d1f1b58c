// The in-memory image of one chip configuration, and the rules that turn chip bytes into its flags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Chip memory map: the only addresses the tool ever reads or writes.
inline constexpr uint8_t ADDR_MARKER = 0x00;
inline constexpr uint8_t ADDR_LOCK = 0x03;
inline constexpr uint8_t ADDR_VENDOR_ID = 0x04;   // 0x04-0x05, low byte first
inline constexpr uint8_t ADDR_PRODUCT_ID = 0x06;  // 0x06-0x07, low byte first
inline constexpr uint8_t ADDR_SERIAL = 0x10;      // 0x10-0x17
inline constexpr uint8_t ADDR_PRODUCT = 0x1A;     // 0x1A-0x3F, a USB string descriptor

inline constexpr uint8_t MARKER_CONFIGURED = 0x5B;  // '['
inline constexpr uint8_t MARKER_LOCKED = 0x57;      // 'W'

inline constexpr int ID_BYTES = 4;        // vendor low, vendor high, product low, product high
inline constexpr int SERIAL_CHARS = 8;    // stored in the chip, no terminator
inline constexpr int PRODUCT_BYTES = 38;  // bLength, bDescriptorType, 18 UTF-16LE code units
inline constexpr int PRODUCT_UNITS = 18;
inline constexpr uint8_t STRING_DESCRIPTOR_TYPE = 3;

struct ConfigRecord {
    int32_t configured;
    uint16_t vendorId;
    uint16_t productId;
    int32_t serialPresent;
    int32_t writeProtected;
    int32_t productPresent;
    uint8_t serial[12];             // 0-7 from the chip; 8-11 stay 0, so the text is terminated
    uint8_t productDescriptor[44];  // 0-37 from the chip; 38-43 stay 0
};

// The write verification compares records byte for byte, so the layout is fixed and has no
// padding whose contents could differ between two records holding the same values.
static_assert(sizeof(ConfigRecord) == 76);
static_assert(offsetof(ConfigRecord, vendorId) == 4 && offsetof(ConfigRecord, productId) == 6);
static_assert(offsetof(ConfigRecord, serialPresent) == 8);
static_assert(offsetof(ConfigRecord, writeProtected) == 12);
static_assert(offsetof(ConfigRecord, productPresent) == 16);
static_assert(offsetof(ConfigRecord, serial) == 20 &&
              offsetof(ConfigRecord, productDescriptor) == 32);

// Records live on the heap and are created zero-filled: every field no step fills stays 0.
using RecordPtr = std::unique_ptr<ConfigRecord>;
RecordPtr NewRecord();

// The ID bytes in chip-address order: 0 = vendor low, 1 = vendor high, 2 = product low,
// 3 = product high.
uint8_t GetIdByte(const ConfigRecord& record, int index);
void SetIdByte(int index, uint8_t value, ConfigRecord& record);

// Read rules: the flags a record gets from the bytes the chip holds.
int IsConfiguredMarker(uint8_t marker);
int IsLockMarker(uint8_t lock);
// Sets serialPresent when the first serial byte is printable (0x21-0x7F); never clears it.
void ApplySerialRule(ConfigRecord& record);
// Sets productPresent for a string descriptor of type 3 with an even length in 4..38; never
// clears it.
void ApplyProductRule(ConfigRecord& record);

// Whole-record comparison: every field and every spare byte.
bool RecordsEqual(const ConfigRecord& a, const ConfigRecord& b);
