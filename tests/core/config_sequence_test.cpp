// Whole-configuration reads and writes, checked frame by frame against what reached the chip.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "chip_map.h"
#include "chip_port.h"
#include "config_sequence.h"
#include "frame_protocol.h"

namespace {

using Frame = std::vector<uint8_t>;

RecordPtr SampleRecord(int writeProtected) {
    RecordPtr record = NewRecord();
    record->configured = 1;
    record->vendorId = 0x2E1B;
    record->productId = 0x6C04;
    record->writeProtected = writeProtected;
    for (int i = 0; i < 8; i++)
        record->serial[i] = static_cast<uint8_t>('A' + i);
    record->serialPresent = 1;
    record->productDescriptor[0] = 6;
    record->productDescriptor[1] = 3;
    record->productDescriptor[2] = 'h';
    record->productDescriptor[4] = 'i';
    record->productPresent = 1;
    return record;
}

std::vector<Frame> ExpectedWriteFrames(const ConfigRecord& record) {
    std::vector<Frame> frames = {{0x40, 0xA0, 0x00, 0x5B}};
    for (int i = 0; i < 4; i++) {
        frames.push_back({0x40, 0xA0, static_cast<uint8_t>(0x04 + i), GetIdByte(record, i)});
    }
    for (int i = 0; i < 8; i++) {
        frames.push_back({0x40, 0xA0, static_cast<uint8_t>(0x10 + i), record.serial[i]});
    }
    for (int i = 0; i < 38; i++) {
        frames.push_back({0x40, 0xA0, static_cast<uint8_t>(0x1A + i), record.productDescriptor[i]});
    }
    if (record.writeProtected)
        frames.push_back({0x40, 0xA0, 0x03, 0x57});
    return frames;
}

TEST(ReadSequence, IsExactly52ReadFramesInTheFixedOrder) {
    ChipPort port(0x00);
    RecordPtr record = NewRecord();
    ASSERT_EQ(ReadConfig(port, *record), 1);
    std::vector<uint8_t> order = ReadOrder();
    ASSERT_EQ(order.size(), 52u);
    ASSERT_EQ(port.Writes().size(), 52u);
    for (size_t i = 0; i < order.size(); i++) {
        EXPECT_EQ(port.Writes()[i], (Frame{0x40, 0xA1, order[i], 0x00})) << "frame " << i;
    }
    EXPECT_EQ(port.ReadCalls(), 52u);
}

TEST(ReadSequence, ReadsAnUnconfiguredChipInFull) {
    ChipPort port(0xFF);
    RecordPtr record = NewRecord();
    ASSERT_EQ(ReadConfig(port, *record), 1);
    EXPECT_EQ(port.Writes().size(), 52u);
}

TEST(WriteSequence, UnconfiguredRecordIsTheMarkerFrameAlone) {
    ChipPort port(0xFF);
    RecordPtr record = SampleRecord(1);
    record->configured = 0;
    ASSERT_EQ(WriteConfig(port, *record), 1);
    ASSERT_EQ(port.Writes().size(), 1u);
    EXPECT_EQ(port.Writes()[0], (Frame{0x40, 0xA0, 0x00, 0x00}));
    EXPECT_EQ(port.Chip().memory[0x03], 0xFF);  // no lock, whatever the record says
}

TEST(WriteSequence, Is51FramesWithoutTheLockAnd52WithItLast) {
    for (int writeProtected : {0, 1}) {
        ChipPort port(0xFF);
        RecordPtr record = SampleRecord(writeProtected);
        ASSERT_EQ(WriteConfig(port, *record), 1);
        std::vector<Frame> expected = ExpectedWriteFrames(*record);
        EXPECT_EQ(expected.size(), writeProtected ? 52u : 51u);
        EXPECT_EQ(port.Writes(), expected) << "writeProtected " << writeProtected;
        EXPECT_EQ(port.Chip().memory[0x03], writeProtected ? 0x57 : 0xFF);
        EXPECT_EQ(port.ReadCalls(), 0u);
    }
}

TEST(WriteSequence, AbsentSerialAndStringAreStoredAsTheRecordsZeros) {
    ChipPort port(0xFF);
    RecordPtr record = NewRecord();
    record->configured = 1;
    ASSERT_EQ(WriteConfig(port, *record), 1);
    for (int a = 0x10; a <= 0x17; a++)
        EXPECT_EQ(port.Chip().memory[a], 0) << a;
    for (int a = 0x1A; a <= 0x3F; a++)
        EXPECT_EQ(port.Chip().memory[a], 0) << a;
}

TEST(Sequences, NeverTouchUnusedAddressesAndWriteTheLockOnlyWithItsValue) {
    for (int writeProtected : {0, 1}) {
        ChipPort port(0xFF);
        RecordPtr record = SampleRecord(writeProtected);
        ASSERT_EQ(WriteConfig(port, *record), 1);
        RecordPtr readBack = NewRecord();
        ASSERT_EQ(ReadConfig(port, *readBack), 1);
        for (const Frame& frame : port.Writes()) {
            EXPECT_FALSE(IsUnusedAddress(frame[2])) << "address " << int(frame[2]);
            if (frame[1] == 0xA0 && frame[2] == 0x03) {
                EXPECT_EQ(frame[3], 0x57);
            }
        }
        for (int a = 0; a < 64; a++) {
            EXPECT_TRUE(!IsUnusedAddress(a) || port.Chip().memory[a] == 0xFF) << a;
        }
    }
}

TEST(ReadByteOperation, PrefillsWithFFAndFailsWithoutAnAnswer) {
    ChipPort port(0x00);
    ChipMuteAfter(&port.Chip(), 0);
    uint8_t value = 0x12;
    EXPECT_EQ(ReadByte(port, 0x00, value), 0);
    EXPECT_EQ(value, 0xFF);
}

// The chip stops answering at read frame k, for every k: the read fails, the bytes read before
// k stay in the record, and nothing is sent after the unanswered frame.
TEST(ReadSequence, StopsAtTheFirstUnansweredFrameKeepingWhatItRead) {
    std::vector<uint8_t> order = ReadOrder();
    for (uint32_t k = 0; k < order.size(); k++) {
        ChipPort port(0x00);
        for (int a = 0; a < 64; a++)
            port.Chip().memory[a] = static_cast<uint8_t>(0x21 + a);
        port.Chip().memory[0x00] = 0x5B;
        port.Chip().memory[0x1A] = 38;
        port.Chip().memory[0x1B] = 3;
        // What a full read gives, for comparing the part read before the failure.
        ChipPort fullPort(0x00);
        std::copy(port.Chip().memory, port.Chip().memory + 64, fullPort.Chip().memory);
        RecordPtr full = NewRecord();
        ASSERT_EQ(ReadConfig(fullPort, *full), 1);

        ChipMuteAfter(&port.Chip(), k);
        RecordPtr record = NewRecord();
        EXPECT_EQ(ReadConfig(port, *record), 0) << "k " << k;
        EXPECT_EQ(port.Writes().size(), k + 1) << "frames after the failure, k " << k;
        EXPECT_EQ(port.ReadCalls(), k + 1);

        EXPECT_EQ(record->configured, k > 0 ? 1 : 0);
        EXPECT_EQ(record->writeProtected, 0);
        for (uint32_t i = 0; i < 4; i++) {
            uint8_t expected = 2 + i < k ? GetIdByte(*full, i) : (2 + i == k ? 0xFF : 0);
            EXPECT_EQ(GetIdByte(*record, i), expected) << "k " << k << " id " << i;
        }
        for (uint32_t i = 0; i < 8; i++) {
            // The byte of the unanswered frame itself is left at the 0xFF pre-fill.
            uint8_t expected = 6 + i < k ? full->serial[i] : (6 + i == k ? 0xFF : 0);
            EXPECT_EQ(record->serial[i], expected) << "k " << k << " serial " << i;
        }
        for (uint32_t i = 0; i < 38; i++) {
            uint8_t expected = 14 + i < k ? full->productDescriptor[i] : (14 + i == k ? 0xFF : 0);
            EXPECT_EQ(record->productDescriptor[i], expected) << "k " << k << " product " << i;
        }
        // A flag is derived only once its whole step has been read.
        EXPECT_EQ(record->serialPresent, k >= 14 ? 1 : 0) << k;
        EXPECT_EQ(record->productPresent, 0) << k;
    }
}

// The chip stops taking write frames at frame k: the write fails there, the chip holds exactly
// what was written before, and a failed write never leaves a lock behind.
TEST(WriteSequence, StopsAtTheFirstRefusedFrame) {
    for (int writeProtected : {0, 1}) {
        RecordPtr record = SampleRecord(writeProtected);
        std::vector<Frame> expected = ExpectedWriteFrames(*record);
        for (uint32_t k = 0; k < expected.size(); k++) {
            ChipPort port(0xFF);
            ChipMuteAfter(&port.Chip(), k);
            EXPECT_EQ(WriteConfig(port, *record), 0) << "k " << k;
            ASSERT_EQ(port.Writes().size(), k + 1) << "k " << k;
            uint8_t memory[64];
            std::fill(memory, memory + 64, 0xFF);
            for (uint32_t i = 0; i < k; i++)
                memory[expected[i][2]] = expected[i][3];
            EXPECT_TRUE(std::equal(memory, memory + 64, port.Chip().memory)) << "k " << k;
            EXPECT_NE(port.Chip().memory[0x03], 0x57) << "k " << k;
        }
    }
}

TEST(WriteSequence, LockedChipTakesEveryFrameAndKeepsItsContent) {
    ChipPort port(0x00);
    port.Chip().memory[0x03] = 0x57;
    uint8_t before[64];
    std::copy(port.Chip().memory, port.Chip().memory + 64, before);
    RecordPtr record = SampleRecord(0);
    EXPECT_EQ(WriteConfig(port, *record), 1);
    EXPECT_EQ(port.Writes().size(), 51u);
    EXPECT_TRUE(std::equal(before, before + 64, port.Chip().memory));
}

}  // namespace
