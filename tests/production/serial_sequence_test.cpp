// The serial sequence's rules, case by case: what follows what, and where it ends.
#include <gtest/gtest.h>

#include "serial_sequence.h"

namespace {

struct Step {
    const char* first;
    const char* next;  // nullptr: the digits have run out
};

TEST(SerialSequence, CountsUpKeepingTheWidthUntilTheDigitsRunOut) {
    const Step steps[] = {
        {"ZQ000001", "ZQ000002"},
        {"ZQ000009", "ZQ000010"},
        {"ZQ0999", "ZQ1000"},
        {"A-B7C09", "A-B7C10"},
        {"12345678", "12345679"},
        {"ZQ9", nullptr},
        {"ZQ-99", nullptr},
        {"999999999999999999", nullptr},
        {"X0", "X1"},
        {"100000000000000000", "100000000000000001"},
    };
    for (const Step& step : steps) {
        std::optional<SerialSequence> sequence = SerialSequence::From(step.first);
        ASSERT_TRUE(sequence) << step.first;
        EXPECT_EQ(sequence->Current(), step.first);
        bool advanced = sequence->Advance();
        EXPECT_EQ(advanced, step.next != nullptr) << step.first;
        EXPECT_EQ(sequence->Current(), step.next ? step.next : step.first)
            << "never wider, never wrapped to zeros";
    }
}

TEST(SerialSequence, RefusesWhatItCannotCount) {
    for (const char* text : {"", "ZQ", "ZQ1A", "1234567890123456789", "Z1234567890123456789"}) {
        EXPECT_FALSE(SerialSequence::From(text)) << '"' << text << '"';
    }
}

TEST(SerialSequence, PositionsAndSkippingPastAUsedSerial) {
    SerialSequence sequence = *SerialSequence::From("ZQ000005");
    EXPECT_EQ(sequence.PositionOf("ZQ000041"), 41u);
    for (const char* other : {"ZQ00041", "ZQ0000041", "XQ000041", "ZQ00004A", "zq000041"}) {
        EXPECT_FALSE(sequence.PositionOf(other)) << other;
    }
    EXPECT_TRUE(sequence.SkipPast(3));
    EXPECT_EQ(sequence.Current(), "ZQ000005") << "a serial behind the start moves nothing";
    EXPECT_TRUE(sequence.SkipPast(41));
    EXPECT_EQ(sequence.Current(), "ZQ000042");
    EXPECT_FALSE(sequence.SkipPast(999999));
    EXPECT_EQ(sequence.Current(), "ZQ000042");

    // A shared ledger keeps offsets from the first serial.
    EXPECT_EQ(SerialSequence::At("ZQ000005", 0), "ZQ000005");
    EXPECT_EQ(SerialSequence::At("ZQ000005", 994), "ZQ000999");
    EXPECT_EQ(SerialSequence::At("ZQ999990", 9), "ZQ999999");
    EXPECT_FALSE(SerialSequence::At("ZQ999990", 10));
    EXPECT_FALSE(SerialSequence::At("ZQ999990", UINT64_MAX)) << "no overflow past the limit";
    EXPECT_FALSE(SerialSequence::At("ZQ", 0));
}

}  // namespace
