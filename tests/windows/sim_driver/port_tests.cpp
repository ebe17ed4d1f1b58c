// The ports themselves: identification, recorded set-up, listing, presence, hot-plug and hold.
#include <algorithm>

#include "driver_ident.h"
#include "sim_fixture.h"

namespace {

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Adds a run-time port once; later calls find it already there.
void EnsurePort(SimControl& control, const char* name, unsigned kind) {
    if (!control.Request(ZQSIM_IOCTL_ADD_PORT, name, kind)) {
        ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << name;
    }
    control.Reset(name);
}

using PortTest = SimDriverTest;

TEST_F(PortTest, ChipPortsIdentifyWithTheirSignatures) {
    DWORD signature = 0;
    ASSERT_TRUE(Identify(kChipA, &signature));
    EXPECT_EQ(signature, IDENT_SIGNATURE_A);
    ASSERT_TRUE(Identify(kChipB, &signature));
    EXPECT_EQ(signature, IDENT_SIGNATURE_B);
}

TEST_F(PortTest, ForeignPortAnswersWithoutASignatureAndGetsNoFrame) {
    DWORD signature = IDENT_SIGNATURE_A;
    ASSERT_TRUE(Identify(kForeign, &signature));
    EXPECT_NE(signature, IDENT_SIGNATURE_A);
    EXPECT_NE(signature, IDENT_SIGNATURE_B);
    unsigned total = 1;
    control.Log(kForeign, &total);
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(control.State(kForeign).propertyQueries, 1u);
}

TEST_F(PortTest, ForeignPortAcceptsSetUpAndLogsWhatItIsSent) {
    ToolPort port(kForeign);
    ASSERT_TRUE(port.Ready());
    ASSERT_TRUE(port.SetReadTimeouts(0, 0, 50));
    EXPECT_TRUE(port.WriteFrame(0xA1, 0x07, 0x00));
    uint8_t byte = 0;
    EXPECT_EQ(port.ReadByte(&byte), 0);  // nothing answers
    std::vector<ZqSimLogEntry> log = control.Log(kForeign);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, ZQSIM_LOG_FOREIGN);
    EXPECT_EQ(log[0].command, 0xA1);
    EXPECT_EQ(log[0].address, 0x07);
}

TEST_F(PortTest, RecordsTheToolsSetUp) {
    {
        ToolPort port(kChipA);
        ASSERT_TRUE(port.Ready());
        ZqSimPortState state = control.State(kChipA);
        EXPECT_EQ(state.openHandles, 1u);
        EXPECT_EQ(state.opensTotal, 1u);
        EXPECT_EQ(state.baudRate, PORT_BAUD);
        EXPECT_EQ(state.byteSize, 8u);
        EXPECT_EQ(state.parity, static_cast<unsigned>(NOPARITY));
        EXPECT_EQ(state.stopBits, static_cast<unsigned>(ONESTOPBIT));
        EXPECT_EQ(state.readIntervalTimeout, 0u);
        EXPECT_EQ(state.readTotalTimeoutMultiplier, PORT_READ_TOTAL_MULTIPLIER);
        EXPECT_EQ(state.readTotalTimeoutConstant, PORT_READ_TOTAL_CONSTANT);
        EXPECT_EQ(state.writeTotalTimeoutMultiplier, PORT_WRITE_TOTAL_MULTIPLIER);
        EXPECT_EQ(state.writeTotalTimeoutConstant, PORT_WRITE_TOTAL_CONSTANT);
        EXPECT_EQ(state.inQueueSize, PORT_QUEUE_SIZE);
        EXPECT_EQ(state.outQueueSize, PORT_QUEUE_SIZE);
        EXPECT_EQ(state.lastPurgeFlags, 0x0Fu);
        EXPECT_EQ(state.queueSizeSets, 1u);
        EXPECT_EQ(state.timeoutSets, 1u);
        EXPECT_EQ(state.purges, 1u);
        EXPECT_EQ(state.baudRateSets, 1u);
        EXPECT_EQ(state.lineControlSets, 1u);
        EXPECT_EQ(state.unsupportedRequests, 0u)
            << "refused IOCTL 0x" << std::hex << state.lastUnsupportedCode;
    }
    EXPECT_EQ(control.State(kChipA).openHandles, 0u);
}

TEST_F(PortTest, SetCommStateKeepsTheOtherFieldsAsReported) {
    ToolPort port(kChipB);
    ASSERT_TRUE(port.Ready());
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    ASSERT_TRUE(GetCommState(port.Handle(), &dcb));
    EXPECT_EQ(dcb.BaudRate, PORT_BAUD);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.XoffChar, 0x13);
}

TEST_F(PortTest, DefaultPortsAreListedInSerialComm) {
    std::vector<std::string> listed = ListedPorts();
    EXPECT_TRUE(Contains(listed, kChipA));
    EXPECT_TRUE(Contains(listed, kChipB));
    EXPECT_TRUE(Contains(listed, kForeign));
}

// The driver outlives this program: ports added here are taken away again afterwards, so other
// test programs see only the default ports.
class HotPlugTest : public SimDriverTest {
protected:
    void SetUp() override {
        SimDriverTest::SetUp();
        EnsurePort(control, kHotPlugChip, ZQSIM_KIND_CHIP_B);
        EnsurePort(control, kHotPlugForeign, ZQSIM_KIND_FOREIGN);
    }
    void TearDown() override {
        control.Request(ZQSIM_IOCTL_REMOVE_PORT, kHotPlugChip);
        control.Request(ZQSIM_IOCTL_REMOVE_PORT, kHotPlugForeign);
    }
};

TEST_F(HotPlugTest, RemovingAPortLeavesOneWhoseNameItPrefixes) {
    ASSERT_TRUE(control.Request(ZQSIM_IOCTL_REMOVE_PORT, kHotPlugChip));
    std::vector<std::string> listed = ListedPorts();
    EXPECT_FALSE(Contains(listed, kHotPlugChip));
    EXPECT_TRUE(Contains(listed, kHotPlugForeign));
    ToolPort gone(kHotPlugChip);
    EXPECT_FALSE(gone.Ready());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    DWORD signature = 0;
    EXPECT_TRUE(Identify(kHotPlugForeign, &signature));

    ASSERT_TRUE(control.Request(ZQSIM_IOCTL_RESTORE_PORT, kHotPlugChip));
    EXPECT_TRUE(Contains(ListedPorts(), kHotPlugChip));
    ASSERT_TRUE(Identify(kHotPlugChip, &signature));
    EXPECT_EQ(signature, IDENT_SIGNATURE_B);
}

const ZqSimPortInfo* FindInfo(const ZqSimPortList& list, const std::string& name) {
    for (unsigned i = 0; i < list.count && i < ZQSIM_MAX_PORTS; i++) {
        if (name == list.ports[i].port) {
            return &list.ports[i];
        }
    }
    return nullptr;
}

TEST_F(HotPlugTest, PortListShowsKindAndPresence) {
    ASSERT_TRUE(control.Request(ZQSIM_IOCTL_REMOVE_PORT, kHotPlugForeign));
    ZqSimPortList list = control.Ports();
    const ZqSimPortInfo* chip = FindInfo(list, kHotPlugChip);
    const ZqSimPortInfo* foreign = FindInfo(list, kHotPlugForeign);
    ASSERT_NE(chip, nullptr);
    ASSERT_NE(foreign, nullptr);
    EXPECT_EQ(chip->kind, static_cast<unsigned>(ZQSIM_KIND_CHIP_B));
    EXPECT_EQ(chip->present + chip->linked + chip->listed, 3u);
    EXPECT_EQ(foreign->kind, static_cast<unsigned>(ZQSIM_KIND_FOREIGN));
    EXPECT_EQ(foreign->present + foreign->linked + foreign->listed, 0u);
}

TEST_F(PortTest, AddingAnExistingOrMalformedPortFails) {
    EXPECT_FALSE(control.Request(ZQSIM_IOCTL_ADD_PORT, kChipA, ZQSIM_KIND_CHIP_A));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(control.Request(ZQSIM_IOCTL_ADD_PORT, "COM\\36", ZQSIM_KIND_CHIP_A));
    EXPECT_FALSE(control.Request(ZQSIM_IOCTL_ADD_PORT, "COM36", 9));
    EXPECT_FALSE(control.Request(ZQSIM_IOCTL_REMOVE_PORT, "COM2"));  // prefix of COM21
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(PortTest, HeldPortRefusesASecondOpenButKeepsTheFirst) {
    ToolPort first(kChipA);
    ASSERT_TRUE(first.Ready());
    ASSERT_TRUE(control.Request(ZQSIM_IOCTL_HOLD_PORT, kChipA));

    ToolPort second(kChipA);
    EXPECT_FALSE(second.Ready());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // Held is not gone: still listed, and the open handle still works.
    EXPECT_TRUE(Contains(ListedPorts(), kChipA));
    ASSERT_TRUE(first.WriteFrame(0xA1, 0x00, 0));
    uint8_t byte = 0;
    EXPECT_EQ(first.ReadByte(&byte), 1);

    ASSERT_TRUE(control.Request(ZQSIM_IOCTL_RELEASE_PORT, kChipA));
    ToolPort again(kChipA);
    EXPECT_TRUE(again.Ready());
}

TEST_F(PortTest, MalformedControlRequestsFail) {
    EXPECT_FALSE(control.Request(ZQSIM_IOCTL_CLEAR, "COM99"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(control.Request(ZQSIM_IOCTL_FILL_MEMORY, kChipA, 0x100));
    EXPECT_FALSE(control.SetMemory(kChipA, 0x3F, {0x01, 0x02}));  // runs past the end
    EXPECT_FALSE(control.SetMemory(kChipA, 0x00, {}));
    EXPECT_EQ(control.Memory(kChipA)[0x3F], 0xFF);
}

}  // namespace
