// The rules that turn chip bytes into a record's flags, seen through a full read of a simulated
// chip, and the whole-record comparison the write verification depends on.
#include <gtest/gtest.h>

#include "chip_port.h"
#include "config_sequence.h"

namespace {

RecordPtr ReadChip(ChipPort& port) {
    RecordPtr record = NewRecord();
    EXPECT_EQ(ReadConfig(port, *record), 1);
    return record;
}

TEST(ReadRules, ErasedChipReadsAsUnconfiguredWithNoSerialOrString) {
    ChipPort port(0xFF);
    RecordPtr record = ReadChip(port);
    EXPECT_EQ(record->configured, 0);
    EXPECT_EQ(record->writeProtected, 0);
    EXPECT_EQ(record->vendorId, 0xFFFF);
    EXPECT_EQ(record->productId, 0xFFFF);
    EXPECT_EQ(record->serialPresent, 0);
    EXPECT_EQ(record->productPresent, 0);
    // The spare bytes after the chip's images stay zero.
    for (int i = 8; i < 12; i++)
        EXPECT_EQ(record->serial[i], 0) << i;
    for (int i = 38; i < 44; i++)
        EXPECT_EQ(record->productDescriptor[i], 0) << i;
}

TEST(ReadRules, MarkersAndIdsComeFromTheirAddresses) {
    ChipPort port(0x00);
    ChipModel& chip = port.Chip();
    chip.memory[0x00] = 0x5B;
    chip.memory[0x03] = 0x57;
    chip.memory[0x04] = 0x1B;
    chip.memory[0x05] = 0x2E;
    chip.memory[0x06] = 0x04;
    chip.memory[0x07] = 0x6C;
    RecordPtr record = ReadChip(port);
    EXPECT_EQ(record->configured, 1);
    EXPECT_EQ(record->writeProtected, 1);
    EXPECT_EQ(record->vendorId, 0x2E1B);
    EXPECT_EQ(record->productId, 0x6C04);

    chip.memory[0x00] = '[' + 1;
    chip.memory[0x03] = 'w';
    record = ReadChip(port);
    EXPECT_EQ(record->configured, 0);
    EXPECT_EQ(record->writeProtected, 0);
}

TEST(ReadRules, SerialIsPresentOnlyWhenItsFirstByteIsPrintableAndNotSpace) {
    const struct {
        uint8_t first;
        int present;
    } cases[] = {{0x20, 0}, {0x21, 1}, {'A', 1}, {0x7F, 1}, {0x80, 0}, {0x00, 0}, {0xFF, 0}};
    for (const auto& c : cases) {
        ChipPort port(0x00);
        // The other seven bytes are printable: only the first decides.
        for (int i = 0; i < 8; i++)
            port.Chip().memory[0x10 + i] = 'X';
        port.Chip().memory[0x10] = c.first;
        RecordPtr record = ReadChip(port);
        EXPECT_EQ(record->serialPresent, c.present) << "first byte " << int(c.first);
        EXPECT_EQ(record->serial[0], c.first);
        EXPECT_EQ(record->serial[8], 0);
    }
}

TEST(ReadRules, ProductStringIsPresentForEvenLengthsFrom4To38WithType3) {
    const struct {
        uint8_t length;
        uint8_t type;
        int present;
    } cases[] = {{2, 3, 0},  {4, 3, 1},     {6, 3, 1},   {28, 3, 1}, {38, 3, 1},
                 {39, 3, 0}, {40, 3, 0},    {5, 3, 0},   {37, 3, 0}, {0, 3, 0},
                 {28, 2, 0}, {28, 0xFF, 0}, {0xFF, 3, 0}};
    for (const auto& c : cases) {
        ChipPort port(0x00);
        port.Chip().memory[0x1A] = c.length;
        port.Chip().memory[0x1B] = c.type;
        RecordPtr record = ReadChip(port);
        EXPECT_EQ(record->productPresent, c.present)
            << "length " << int(c.length) << " type " << int(c.type);
        EXPECT_EQ(record->productDescriptor[0], c.length);
    }
}

TEST(RecordComparison, EveryFieldAndSpareByteCounts) {
    RecordPtr a = NewRecord();
    RecordPtr b = NewRecord();
    EXPECT_TRUE(RecordsEqual(*a, *b));
    b->serial[11] = 1;  // a spare byte
    EXPECT_FALSE(RecordsEqual(*a, *b));
    b = NewRecord();
    b->productDescriptor[43] = 1;
    EXPECT_FALSE(RecordsEqual(*a, *b));
    b = NewRecord();
    b->productPresent = 1;
    EXPECT_FALSE(RecordsEqual(*a, *b));
    b = NewRecord();
    b->productId = 0x0100;
    EXPECT_FALSE(RecordsEqual(*a, *b));
}

TEST(RecordComparison, IdBytesAreInChipAddressOrder) {
    RecordPtr record = NewRecord();
    SetIdByte(0, 0x1B, *record);
    SetIdByte(1, 0x2E, *record);
    SetIdByte(2, 0x04, *record);
    SetIdByte(3, 0x6C, *record);
    EXPECT_EQ(record->vendorId, 0x2E1B);
    EXPECT_EQ(record->productId, 0x6C04);
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(record.get()) + 4;
    EXPECT_EQ(raw[0], 0x1B);
    EXPECT_EQ(raw[1], 0x2E);
    EXPECT_EQ(raw[2], 0x04);
    EXPECT_EQ(raw[3], 0x6C);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(GetIdByte(*record, i), raw[i]);
}

}  // namespace
