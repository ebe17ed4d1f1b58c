// Opening a chip port for an action and running whole configurations through it: the Win32
// serial API against the stand-in driver, as on a real machine.
#include <chrono>
#include <cstdio>

#include "config_sequence.h"
#include "handle_port.h"
#include "memory_port_list.h"
#include "port_test_env.h"
#include "serial_port.h"

namespace {

class SerialPort : public SimulatedPorts {
protected:
    MemoryPortList list;
    win32::AutoCloseHandle portHandle;

    void SetUp() override {
        SimulatedPorts::SetUp();
        list.names = {kChipA, kChipB};
        list.selection = 0;
    }
};

TEST_F(SerialPort, OpenLeavesThePortExactlyAsTheFramesNeedIt) {
    ASSERT_EQ(OpenSelectedPort(list, portHandle), 1);
    EXPECT_TRUE(portHandle.Valid());
    ZqSimPortState state = sim.State(kChipA);
    EXPECT_EQ(state.baudRate, 300u);
    EXPECT_EQ(state.byteSize, 8u);
    EXPECT_EQ(state.parity, 0u);
    EXPECT_EQ(state.stopBits, 0u);
    EXPECT_EQ(state.readIntervalTimeout, 0u);
    EXPECT_EQ(state.readTotalTimeoutMultiplier, 100u);
    EXPECT_EQ(state.readTotalTimeoutConstant, 1000u);
    EXPECT_EQ(state.writeTotalTimeoutMultiplier, 50u);
    EXPECT_EQ(state.writeTotalTimeoutConstant, 500u);
    EXPECT_EQ(state.inQueueSize, 8192u);
    EXPECT_EQ(state.outQueueSize, 8192u);
    EXPECT_EQ(state.lastPurgeFlags, 0x0Fu);
    EXPECT_EQ(state.openHandles, 1u);

    portHandle.Reset();
    EXPECT_FALSE(portHandle.Valid());
    EXPECT_EQ(sim.State(kChipA).openHandles, 0u);
    portHandle.Reset();  // closing twice is harmless
}

TEST_F(SerialPort, OpenFailsWithoutAUsablePort) {
    list.selection = -1;  // nothing selected: the bare prefix opens nothing
    EXPECT_EQ(OpenSelectedPort(list, portHandle), 0);
    EXPECT_FALSE(portHandle.Valid());

    list.names = {"COM98"};  // vanished
    list.selection = 0;
    EXPECT_EQ(OpenSelectedPort(list, portHandle), 0);

    list.names = {std::string(70, 'C')};  // too long for a device path: refused, not overflowed
    EXPECT_EQ(OpenSelectedPort(list, portHandle), 0);
}

TEST_F(SerialPort, PortHeldByAnotherProgramCannotBeOpened) {
    ASSERT_TRUE(sim.Hold(kChipA));
    EXPECT_EQ(OpenSelectedPort(list, portHandle), 0);
    EXPECT_FALSE(portHandle.Valid());
    ASSERT_TRUE(sim.Release(kChipA));
    EXPECT_EQ(OpenSelectedPort(list, portHandle), 1);
}

TEST_F(SerialPort, WholeConfigurationsGoThroughThePortFrameForFrame) {
    list.selection = 1;  // the chip with the other signature
    ASSERT_EQ(OpenSelectedPort(list, portHandle), 1);
    HandlePort port(portHandle.Get());

    for (int writeProtected : {0, 1}) {
        sim.Reset(kChipB);
        RecordPtr record = NewRecord();
        record->configured = 1;
        record->vendorId = 0x1234;
        record->productId = 0xABCD;
        record->writeProtected = writeProtected;
        record->serialPresent = 1;
        std::memcpy(record->serial, "ZQ610042", 8);
        record->productDescriptor[0] = 4;
        record->productDescriptor[1] = 3;
        record->productDescriptor[2] = 'Z';
        record->productPresent = 1;
        ASSERT_EQ(WriteConfig(port, *record), 1);
        std::vector<ZqSimLogEntry> log = sim.Log(kChipB);
        ASSERT_EQ(log.size(), writeProtected ? 52u : 51u);
        for (const ZqSimLogEntry& entry : log)
            EXPECT_EQ(entry.kind, ZQSIM_LOG_WRITE);
        EXPECT_EQ(log.back().address, writeProtected ? 0x03 : 0x3F);

        auto memory = sim.Memory(kChipB);
        EXPECT_EQ(memory[0x00], 0x5B);
        EXPECT_EQ(memory[0x03], writeProtected ? 0x57 : 0xFF);
        EXPECT_EQ(memory[0x04], 0x34);
        EXPECT_EQ(memory[0x07], 0xAB);
        EXPECT_EQ(std::memcmp(&memory[0x10], "ZQ610042", 8), 0);
        EXPECT_EQ(memory[0x02], 0xFF);

        sim.Clear(kChipB);
        RecordPtr readBack = NewRecord();
        ASSERT_EQ(ReadConfig(port, *readBack), 1);
        EXPECT_EQ(sim.Log(kChipB).size(), 52u);
        EXPECT_TRUE(RecordsEqual(*record, *readBack));
    }
}

TEST_F(SerialPort, UnansweredReadFailsAfterOneReadTimeOut) {
    ASSERT_EQ(OpenSelectedPort(list, portHandle), 1);
    HandlePort port(portHandle.Get());
    sim.MuteAfter(kChipA, 0);
    RecordPtr record = NewRecord();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadConfig(port, *record), 0);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("read of a mute chip failed after %.2f s\n", seconds);
    EXPECT_GE(seconds, 1.0);
    EXPECT_LT(seconds, 2.0);
    EXPECT_EQ(record->configured, 0);
    EXPECT_EQ(sim.Log(kChipA).size(), 1u);
}

}  // namespace
