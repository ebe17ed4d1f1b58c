// Ports served independently: a write waiting out its emulated time holds up no other port, and
// a port's line of writes keeps its order and comes free when a write is aborted or its caller
// is killed.
#include <thread>

#include "sim_fixture.h"

namespace {

constexpr uint8_t kWrite = 0xA0;
constexpr uint8_t kRead = 0xA1;
constexpr unsigned kLongDelay = 5000000;  // long enough to act while a write waits

using ParallelTest = SimDriverTest;

// Bytes in the port's line of writes, as ClearCommError reports its output queue.
DWORD OutQueue(HANDLE port) {
    DWORD errors = 0;
    COMSTAT stat{};
    return ClearCommError(port, &errors, &stat) ? stat.cbOutQue : MAXDWORD;
}

bool WaitForOutQueue(HANDLE port, DWORD bytes) {
    for (int i = 0; i < 500; i++) {
        if (OutQueue(port) == bytes) {
            return true;
        }
        Sleep(10);
    }
    return false;
}

TEST_F(ParallelTest, AWaitingWriteHoldsUpNoOtherPortAndAbortsUnwritten) {
    ASSERT_TRUE(control.SetDelay(kChipA, kLongDelay));
    ASSERT_TRUE(control.SetDelay(kChipB, 1000));
    ToolPort slow(kChipA);
    ToolPort fast(kChipB);
    ASSERT_TRUE(slow.Ready() && fast.Ready());
    bool written = true;
    std::thread writer([&] { written = slow.WriteFrame(kWrite, 0x01, 0x5A); });
    bool waiting = WaitForOutQueue(slow.Handle(), 4);

    int answered = 0;
    for (uint8_t address = 0; address < 20; address++) {
        uint8_t byte = 0;
        answered += fast.WriteFrame(kRead, address, 0) && fast.ReadByte(&byte) == 1;
    }
    // All of them while the other port's write still waits.
    DWORD stillWaiting = OutQueue(slow.Handle());

    EXPECT_TRUE(PurgeComm(slow.Handle(), PURGE_TXABORT));
    writer.join();
    EXPECT_TRUE(waiting);
    EXPECT_EQ(answered, 20);
    EXPECT_EQ(stillWaiting, 4u);
    EXPECT_FALSE(written);
    EXPECT_EQ(OutQueue(slow.Handle()), 0u);
    EXPECT_EQ(control.Counters(kChipA).writeCalls, 0u);
    EXPECT_EQ(control.Memory(kChipA)[0x01], 0xFF);
}

TEST_F(ParallelTest, WritesFromTwoHandlesAreServedEachInItsOrder) {
    constexpr uint8_t kFrames = 16;
    ASSERT_TRUE(control.SetDelay(kChipA, 1000));
    ToolPort first(kChipA);
    ToolPort second(kChipA);  // Wine lets a port open twice
    ASSERT_TRUE(first.Ready() && second.Ready());
    auto run = [](ToolPort& port, uint8_t base, int& ok) {
        for (uint8_t i = 0; i < kFrames; i++) {
            ok += port.WriteFrame(kWrite, static_cast<uint8_t>(base + i), base);
        }
    };
    int okFirst = 0;
    int okSecond = 0;
    std::thread other([&] { run(second, 0x20, okSecond); });
    run(first, 0x00, okFirst);
    other.join();

    EXPECT_EQ(okFirst + okSecond, 2 * kFrames);
    std::vector<ZqSimLogEntry> log = control.Log(kChipA);
    ASSERT_EQ(log.size(), 2u * kFrames);
    int next[2] = {0x00, 0x20};
    for (const ZqSimLogEntry& entry : log) {
        int& expected = next[entry.address >= 0x20 ? 1 : 0];
        EXPECT_EQ(entry.address, expected) << "out of order";
        expected = entry.address + 1;
    }
    EXPECT_EQ(next[0], kFrames);
    EXPECT_EQ(next[1], 0x20 + kFrames);
}

// The child (this program with --wait-write PORT) blocks in a write waiting out a long delay;
// killed, its write is cancelled and the next caller's write does not wait behind it.
TEST_F(ParallelTest, KilledProcessWaitingWriteLeavesTheLine) {
    ASSERT_TRUE(control.SetDelay(kChipB, kLongDelay));
    ToolPort watcher(kChipB);
    ASSERT_TRUE(watcher.Ready());
    char self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof(self)), 0u);
    std::string commandLine = std::string("\"") + self + "\" --wait-write " + kChipB;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &child));
    bool waiting = WaitForOutQueue(watcher.Handle(), 4);
    TerminateProcess(child.hProcess, 9);
    WaitForSingleObject(child.hProcess, 5000);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);

    EXPECT_TRUE(waiting) << "the child never got to its write";
    EXPECT_TRUE(WaitForOutQueue(watcher.Handle(), 0));
    ASSERT_TRUE(control.SetDelay(kChipB, 1000));
    double start = NowMs();
    EXPECT_TRUE(watcher.WriteFrame(kWrite, 0x02, 0x33));
    EXPECT_LT(NowMs() - start, 1000.0);
    EXPECT_EQ(control.Counters(kChipB).writeCalls, 1u);
    EXPECT_EQ(control.Memory(kChipB)[0x01], 0xFF);  // the child's frame never arrived
}

}  // namespace
