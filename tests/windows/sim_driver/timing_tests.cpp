// Time through the driver: the 52-frame read sequence, the per-frame delay and wire time.
#include "sim_fixture.h"

namespace {

constexpr int kSequenceFrames = 52;

using TimingTest = SimDriverTest;

// Reads addresses 0..frames-1 one frame at a time; returns the wall time in ms.
double ReadSequence(ToolPort& port, int frames, std::vector<uint8_t>* bytes) {
    double start = NowMs();
    for (int address = 0; address < frames; address++) {
        uint8_t byte = 0;
        if (!port.WriteFrame(0xA1, static_cast<uint8_t>(address), 0) || port.ReadByte(&byte) != 1) {
            break;
        }
        bytes->push_back(byte);
    }
    return NowMs() - start;
}

std::vector<uint8_t> Pattern(int count) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < count; i++) {
        bytes.push_back(static_cast<uint8_t>(i * 7 + 1));
    }
    return bytes;
}

TEST_F(TimingTest, FiftyTwoFrameReadSequence) {
    std::vector<uint8_t> pattern = Pattern(kSequenceFrames);
    ASSERT_TRUE(control.SetMemory(kChipA, 0, pattern));
    ToolPort port(kChipA);
    ASSERT_TRUE(port.Ready());
    std::vector<uint8_t> bytes;
    double elapsed = ReadSequence(port, kSequenceFrames, &bytes);
    ZqSimCounters counters = control.Counters(kChipA);
    std::printf("[ measured ] %d-frame read sequence: %.1f ms (%.3f ms a frame), driver %llu us\n",
                kSequenceFrames, elapsed, elapsed / kSequenceFrames, counters.serveMicros);
    EXPECT_EQ(bytes, pattern);
    EXPECT_EQ(counters.framesAnswered, static_cast<unsigned>(kSequenceFrames));
    EXPECT_LE(counters.serveMicros, static_cast<unsigned long long>(elapsed * 1000.0));
}

TEST_F(TimingTest, PerFrameDelayIsSpentAndAccounted) {
    constexpr int kFrames = 20;
    ASSERT_TRUE(control.Request(ZQSIM_IOCTL_SET_DELAY, kChipB, 1000));
    ToolPort port(kChipB);
    ASSERT_TRUE(port.Ready());
    std::vector<uint8_t> bytes;
    double elapsed = ReadSequence(port, kFrames, &bytes);
    ZqSimCounters counters = control.Counters(kChipB);
    std::printf("[ measured ] %d frames with 1000 us delay: %.1f ms, driver %llu us\n", kFrames,
                elapsed, counters.serveMicros);
    EXPECT_EQ(bytes.size(), static_cast<size_t>(kFrames));
    EXPECT_GE(counters.serveMicros, kFrames * 1000ull);
    EXPECT_GE(elapsed, kFrames * 1.0);
}

TEST_F(TimingTest, WireTimeFollowsTheBaudRate) {
    ASSERT_TRUE(control.Request(ZQSIM_IOCTL_SET_WIRE, kChipA, 1));
    ToolPort port(kChipA);  // 300 baud, 8N1: 10 bits a character, 33.3 ms
    ASSERT_TRUE(port.Ready());

    double start = NowMs();
    ASSERT_TRUE(port.WriteFrame(0xA0, 0x01, 0x99));
    double writeFrame = NowMs() - start;
    start = NowMs();
    ASSERT_TRUE(port.WriteFrame(0xA1, 0x01, 0x00));
    double readFrame = NowMs() - start;
    start = NowMs();
    uint8_t byte = 0;
    EXPECT_EQ(port.ReadByte(&byte), 1);
    double reply = NowMs() - start;
    std::printf(
        "[ measured ] at 300 baud: write frame %.1f ms, read frame %.1f ms, reply %.1f ms\n",
        writeFrame, readFrame, reply);
    EXPECT_EQ(byte, 0x99);
    EXPECT_GE(writeFrame, 125.0);  // 4 characters: 133 ms
    EXPECT_LT(writeFrame, 400.0);
    EXPECT_GE(readFrame, 158.0);  // 4 out, 1 back: 167 ms
    EXPECT_LT(readFrame, 450.0);
    EXPECT_LT(reply, 50.0);  // already there when the frame's write returned
    EXPECT_GE(control.Counters(kChipA).serveMicros, 290000ull);
}

}  // namespace
