// Frames through a simulated chip port: replies, the lock rule, mute, the log and time-outs.
#include "sim_fixture.h"

namespace {

constexpr uint8_t kWrite = 0xA0;
constexpr uint8_t kRead = 0xA1;

using FrameTest = SimDriverTest;

TEST_F(FrameTest, ReadFrameMakesExactlyOneByteAvailable) {
    ASSERT_TRUE(control.SetMemory(kChipA, 0x10, {0x5C}));
    ToolPort port(kChipA);
    ASSERT_TRUE(port.Ready());
    ASSERT_TRUE(port.SetReadTimeouts(0, 0, 100));

    ASSERT_TRUE(port.WriteFrame(kRead, 0x10, 0x00));
    uint8_t byte = 0;
    EXPECT_EQ(port.ReadByte(&byte), 1);
    EXPECT_EQ(byte, 0x5C);
    // Nothing more was queued: the next read times out empty.
    EXPECT_EQ(port.ReadByte(&byte), 0);
}

TEST_F(FrameTest, RepliesComeBackInFrameOrder) {
    ASSERT_TRUE(control.SetMemory(kChipB, 0x00, {0x01, 0x02, 0x03}));
    ToolPort port(kChipB);
    ASSERT_TRUE(port.Ready());
    for (uint8_t address : {2, 0, 1}) {
        ASSERT_TRUE(port.WriteFrame(kRead, address, 0));
    }
    uint8_t byte = 0;
    for (uint8_t expected : {0x03, 0x01, 0x02}) {
        ASSERT_EQ(port.ReadByte(&byte), 1);
        EXPECT_EQ(byte, expected);
    }
}

TEST_F(FrameTest, WriteFrameStoresValueOnlyAtItsAddress) {
    ToolPort port(kChipA);
    ASSERT_TRUE(port.Ready());
    ASSERT_TRUE(port.WriteFrame(kWrite, 0x3F, 0x00));
    std::vector<uint8_t> memory = control.Memory(kChipA);
    ASSERT_EQ(memory.size(), 64u);
    EXPECT_EQ(memory[0x3F], 0x00);
    EXPECT_EQ(memory[0x3E], 0xFF);
    EXPECT_EQ(memory[0x00], 0xFF);
}

TEST_F(FrameTest, LockedChipAcceptsWritesButKeepsItsMemory) {
    ToolPort port(kChipA);
    ASSERT_TRUE(port.Ready());
    ASSERT_TRUE(port.WriteFrame(kWrite, 0x05, 0x11));  // before the lock: stored
    ASSERT_TRUE(port.WriteFrame(kWrite, 0x03, 0x57));  // locks
    EXPECT_TRUE(port.WriteFrame(kWrite, 0x05, 0x22));
    EXPECT_TRUE(port.WriteFrame(kWrite, 0x03, 0x00));  // cannot unlock either

    std::vector<uint8_t> memory = control.Memory(kChipA);
    ASSERT_EQ(memory.size(), 64u);
    EXPECT_EQ(memory[0x05], 0x11);
    EXPECT_EQ(memory[0x03], 0x57);
    // Reads still work on a locked chip.
    uint8_t byte = 0;
    ASSERT_TRUE(port.WriteFrame(kRead, 0x05, 0));
    ASSERT_EQ(port.ReadByte(&byte), 1);
    EXPECT_EQ(byte, 0x11);
    std::vector<ZqSimLogEntry> log = control.Log(kChipA);
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[2].kind, ZQSIM_LOG_LOCKED);
    EXPECT_EQ(log[3].kind, ZQSIM_LOG_LOCKED);
}

TEST_F(FrameTest, MuteAfterNFailsWritesAndLeavesReadsUnanswered) {
    ASSERT_TRUE(control.Request(ZQSIM_IOCTL_MUTE, kChipA, 2));
    ToolPort port(kChipA);
    ASSERT_TRUE(port.Ready());
    ASSERT_TRUE(port.SetReadTimeouts(0, 0, 100));
    uint8_t byte = 0;

    EXPECT_TRUE(port.WriteFrame(kWrite, 0x01, 0x42));
    EXPECT_TRUE(port.WriteFrame(kRead, 0x01, 0));
    EXPECT_EQ(port.ReadByte(&byte), 1);
    // Third frame on: mute.
    EXPECT_FALSE(port.WriteFrame(kWrite, 0x02, 0x43));
    EXPECT_TRUE(port.WriteFrame(kRead, 0x01, 0));
    EXPECT_EQ(port.ReadByte(&byte), 0);
    EXPECT_EQ(control.Memory(kChipA)[0x02], 0xFF);

    ZqSimCounters counters = control.Counters(kChipA);
    EXPECT_EQ(counters.framesAnswered, 2u);
    EXPECT_EQ(counters.writesFailed, 1u);

    ASSERT_TRUE(control.Request(ZQSIM_IOCTL_MUTE, kChipA, ZQSIM_ANSWER_AGAIN));
    EXPECT_TRUE(port.WriteFrame(kWrite, 0x02, 0x43));
    EXPECT_EQ(control.Memory(kChipA)[0x02], 0x43);
}

TEST_F(FrameTest, MuteZeroStopsAnsweringAtOnce) {
    ASSERT_TRUE(control.Request(ZQSIM_IOCTL_MUTE, kChipB, 0));
    ToolPort port(kChipB);
    ASSERT_TRUE(port.Ready());
    EXPECT_FALSE(port.WriteFrame(kWrite, 0x00, 0x00));
    EXPECT_EQ(control.Counters(kChipB).framesAnswered, 0u);
}

TEST_F(FrameTest, LogRecordsEveryWriteCallAndClears) {
    ToolPort port(kChipA);
    ASSERT_TRUE(port.Ready());
    ASSERT_TRUE(port.SetReadTimeouts(0, 0, 50));
    ASSERT_TRUE(port.WriteFrame(kWrite, 0x05, 0x12));
    ASSERT_TRUE(port.WriteFrame(kRead, 0x05, 0x00));
    ASSERT_TRUE(port.WriteBytes({0x40, 0xA0, 0x06}));        // short: not a frame
    ASSERT_TRUE(port.WriteFrame(kRead, 0x40, 0x00));         // address past the memory
    ASSERT_TRUE(port.WriteBytes({0x41, 0xA0, 0x07, 0x01}));  // wrong lead byte

    unsigned total = 0;
    std::vector<ZqSimLogEntry> log = control.Log(kChipA, &total);
    ASSERT_EQ(total, 5u);
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].kind, ZQSIM_LOG_WRITE);
    EXPECT_EQ(log[0].command, kWrite);
    EXPECT_EQ(log[0].address, 0x05);
    EXPECT_EQ(log[0].value, 0x12);
    EXPECT_EQ(log[1].kind, ZQSIM_LOG_READ);
    EXPECT_EQ(log[1].value, 0x12);  // the reply
    for (size_t i = 2; i < 5; i++) {
        EXPECT_EQ(log[i].kind, ZQSIM_LOG_BAD) << "entry " << i;
    }
    // Only the good read frame queued a reply.
    uint8_t byte = 0;
    EXPECT_EQ(port.ReadByte(&byte), 1);
    EXPECT_EQ(port.ReadByte(&byte), 0);

    ASSERT_TRUE(control.Request(ZQSIM_IOCTL_CLEAR, kChipA));
    EXPECT_TRUE(control.Log(kChipA, &total).empty());
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(control.Counters(kChipA).writeCalls, 0u);
}

TEST_F(FrameTest, ReadWithoutReplyTimesOutAfterTheToolsTimeouts) {
    ToolPort port(kChipA);
    ASSERT_TRUE(port.Ready());
    uint8_t byte = 0;
    double start = NowMs();
    int got = port.ReadByte(&byte);
    double elapsed = NowMs() - start;
    std::printf("[ measured ] empty 1-byte read with time-outs 0/100/1000: %.1f ms\n", elapsed);
    EXPECT_EQ(got, 0);  // ReadFile succeeds with nothing
    EXPECT_GE(elapsed, 1080.0);
    EXPECT_LT(elapsed, 1600.0);
    EXPECT_EQ(control.Counters(kChipA).readTimeouts, 1u);
}

TEST_F(FrameTest, PurgeDropsRepliesNotYetRead) {
    ToolPort port(kChipA);
    ASSERT_TRUE(port.Ready());
    ASSERT_TRUE(port.SetReadTimeouts(0, 0, 50));
    ASSERT_TRUE(port.WriteFrame(kRead, 0x00, 0));
    EXPECT_EQ(control.Counters(kChipA).repliesWaiting, 1u);
    ASSERT_TRUE(PurgeComm(port.Handle(), PURGE_RXCLEAR));
    uint8_t byte = 0;
    EXPECT_EQ(port.ReadByte(&byte), 0);
}

// A child (this program with --wait-read PORT) blocks in a read that only data or
// cancellation can end; killing it must cancel the read and close the port.
TEST_F(FrameTest, KilledProcessPendingReadIsCancelled) {
    char self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof(self)), 0u);
    std::string commandLine = std::string("\"") + self + "\" --wait-read " + kChipB;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &child));

    bool waiting = false;
    for (int i = 0; i < 100 && !waiting; i++) {
        Sleep(50);
        waiting = control.Counters(kChipB).readCalls == 1 && control.State(kChipB).openHandles == 1;
    }
    EXPECT_TRUE(waiting) << "the child never got to its read";
    EXPECT_EQ(WaitForSingleObject(child.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    TerminateProcess(child.hProcess, 9);
    WaitForSingleObject(child.hProcess, 5000);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);

    bool cleaned = false;
    for (int i = 0; i < 100 && !cleaned; i++) {
        cleaned =
            control.Counters(kChipB).readsCancelled == 1 && control.State(kChipB).openHandles == 0;
        Sleep(cleaned ? 0 : 50);
    }
    EXPECT_TRUE(cleaned);
    // The port works normally afterwards.
    ToolPort port(kChipB);
    ASSERT_TRUE(port.Ready());
    ASSERT_TRUE(port.WriteFrame(kRead, 0x00, 0));
    uint8_t byte = 0;
    EXPECT_EQ(port.ReadByte(&byte), 1);
}

}  // namespace
