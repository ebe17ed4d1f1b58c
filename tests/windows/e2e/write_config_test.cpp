// Write Config against the simulated chips: what reaches the chip's memory, the lock and its
// question, and each of the four outcomes the read-back decides.
#include <gtest/gtest.h>

#include <vector>

#include "e2e_harness.h"
#include "remote_controls.h"
#include "resource.h"

namespace {

constexpr const wchar_t* kWritten = L"写入成功";
constexpr const wchar_t* kUnverified = L"写入成功但未校验，建议重新读取看是否写入成功";
constexpr const wchar_t* kLocked = L"芯片已开启写保护，写入失败";
constexpr const wchar_t* kFailed = L"写入失败请重试";

// The default form as the chip stores it: the tool writes zeros for the unticked serial.
ChipImage DefaultsImage() {
    ChipImage image;
    image.vendorId = 0x2E1B;
    image.productId = 0x6C04;
    image.product = u"usb2.0 serial";
    return image;
}

std::vector<const ZqSimLogEntry*> WriteFrames(const std::vector<ZqSimLogEntry>& log) {
    std::vector<const ZqSimLogEntry*> writes;
    for (const ZqSimLogEntry& entry : log) {
        if (entry.command == 0xA0) {
            writes.push_back(&entry);
        }
    }
    return writes;
}

class WriteConfig : public ChipTest {
protected:
    void TickLock() {
        Click(Control(IDC_WRITE_PROTECT));
        ASSERT_TRUE(IsChecked(Control(IDC_WRITE_PROTECT)));
    }

    // Write Config with the lock ticked: answers the question, then waits for the job.
    void WriteWithLock(bool yes) {
        SetText(Control(IDC_STATUS), "");
        PostClick(Control(IDC_WRITE_CONFIG));
        AnswerLockQuestion(yes);
        if (yes) {
            EXPECT_TRUE(WaitForJobEnd()) << testing::PrintToString(Status());
        }
    }
};

TEST_F(WriteConfig, ChipStoresExactlyWhatTheFormSays) {
    ChipsReady();
    StartApp();
    SetText(Control(IDC_VID), "1a86");
    SetText(Control(IDC_PID), "7523");
    Click(Control(IDC_SERIAL_ENABLE));
    SetText(Control(IDC_SERIAL), "SN000042");
    SetTextW(Control(IDC_PRODUCT), L"测试 Bridge");

    ClickAndWaitForJob(IDC_WRITE_CONFIG);

    EXPECT_EQ(Status(), kWritten);
    ChipImage expected;
    expected.vendorId = 0x1A86;
    expected.productId = 0x7523;
    expected.serial = "SN000042";
    expected.product = u"测试 Bridge";
    EXPECT_EQ(sim.Memory(kChipA), expected.Bytes());
    std::vector<ZqSimLogEntry> log = sim.Log(kChipA);
    EXPECT_EQ(WriteFrames(log).size(), 51u) << "no lock frame without the box";
    EXPECT_EQ(CountKind(log, ZQSIM_LOG_READ), 52u) << "the whole configuration is read back";
    EXPECT_EQ(sim.Memory(kChipB), std::vector<uint8_t>(ZQSIM_MEMORY_SIZE, 0xFF))
        << "the other chip is left alone";
}

TEST_F(WriteConfig, UntickedBoxesStoreZerosOverAnOldSerialAndProductString) {
    ChipImage old;
    old.vendorId = 0x1111;
    old.serial = "OLDOLDOL";
    old.product = u"old product string";
    ASSERT_TRUE(sim.SetMemory(kChipB, 0, old.Bytes()));
    ChipsReady();
    StartApp();
    SelectPort(Control(IDC_PORT), 1);
    Click(Control(IDC_PRODUCT_ENABLE));
    ASSERT_FALSE(IsChecked(Control(IDC_PRODUCT_ENABLE)));

    ClickAndWaitForJob(IDC_WRITE_CONFIG);

    EXPECT_EQ(Status(), kWritten);
    ChipImage expected = DefaultsImage();
    expected.productPresent = false;
    EXPECT_EQ(sim.Memory(kChipB), expected.Bytes());
    EXPECT_TRUE(sim.Log(kChipA).empty());
}

TEST_F(WriteConfig, ConfirmedLockIsTheLastFrameAndTheWriteVerifies) {
    ChipsReady();
    StartApp();
    TickLock();

    WriteWithLock(true);

    EXPECT_EQ(Status(), kWritten);
    ChipImage expected = DefaultsImage();
    expected.locked = true;
    EXPECT_EQ(sim.Memory(kChipA), expected.Bytes());
    std::vector<const ZqSimLogEntry*> writes = WriteFrames(sim.Log(kChipA));
    ASSERT_EQ(writes.size(), 52u);
    EXPECT_EQ(writes.back()->address, 0x03);
    EXPECT_EQ(writes.back()->value, 0x57);
    for (size_t i = 0; i + 1 < writes.size(); i++) {
        EXPECT_NE(writes[i]->address, 0x03) << "frame " << i;
    }
}

TEST_F(WriteConfig, DeclinedLockWritesNothingAndOpensNoPort) {
    ChipsReady();
    StartApp();
    unsigned opensBefore = sim.State(kChipA).opensTotal;
    TickLock();

    WriteWithLock(false);

    EXPECT_EQ(app.WaitForOtherDialog(300), nullptr) << "no further box after No";
    EXPECT_EQ(sim.State(kChipA).opensTotal, opensBefore);
    EXPECT_TRUE(sim.Log(kChipA).empty());
    EXPECT_EQ(sim.Memory(kChipA), std::vector<uint8_t>(ZQSIM_MEMORY_SIZE, 0xFF));
    EXPECT_EQ(Status(), L"");
    EXPECT_TRUE(IsChecked(Control(IDC_WRITE_PROTECT))) << "the form is left as it was";
    EXPECT_TRUE(ActionsEnabled());
}

TEST_F(WriteConfig, LockedChipWithOtherContentReportsItsWriteProtection) {
    ChipImage locked;
    locked.vendorId = 0x0483;
    locked.productId = 0x5740;
    locked.serial = "LOCKED01";
    locked.product = u"locked";
    locked.locked = true;
    ASSERT_TRUE(sim.SetMemory(kChipA, 0, locked.Bytes()));
    ChipsReady();
    StartApp();

    ClickAndWaitForJob(IDC_WRITE_CONFIG);

    EXPECT_EQ(Status(), kLocked);
    EXPECT_EQ(sim.Memory(kChipA), locked.Bytes());
    std::vector<ZqSimLogEntry> log = sim.Log(kChipA);
    EXPECT_EQ(CountKind(log, ZQSIM_LOG_LOCKED), 51u) << "every frame went out";
    EXPECT_EQ(CountKind(log, ZQSIM_LOG_READ), 52u);
    EXPECT_EQ(TextOf(Control(IDC_VID)), L"2E1B") << "the read-back never reaches the form";
}

TEST_F(WriteConfig, LockedChipThatAlreadyHoldsTheFormVerifies) {
    ChipImage same = DefaultsImage();
    same.locked = true;
    ASSERT_TRUE(sim.SetMemory(kChipA, 0, same.Bytes()));
    ChipsReady();
    StartApp();
    TickLock();

    WriteWithLock(true);

    EXPECT_EQ(Status(), kWritten);
    EXPECT_EQ(sim.Memory(kChipA), same.Bytes());
}

TEST_F(WriteConfig, EmptyTickedProductStringIsWrittenButDoesNotVerify) {
    ChipsReady();
    StartApp();
    SetText(Control(IDC_PRODUCT), "");

    ClickAndWaitForJob(IDC_WRITE_CONFIG);

    EXPECT_EQ(Status(), kFailed);
    std::vector<uint8_t> memory = sim.Memory(kChipA);
    ASSERT_EQ(memory.size(), static_cast<size_t>(ZQSIM_MEMORY_SIZE));
    EXPECT_EQ(memory[0x1A], 2) << "an empty descriptor was stored";
    EXPECT_EQ(memory[0x1B], 3);
}

TEST_F(WriteConfig, SerialStartingWithASpaceIsWrittenButDoesNotVerify) {
    ChipsReady();
    StartApp();
    Click(Control(IDC_SERIAL_ENABLE));
    SetText(Control(IDC_SERIAL), " SN1");

    ClickAndWaitForJob(IDC_WRITE_CONFIG);

    EXPECT_EQ(Status(), kFailed);
    std::vector<uint8_t> memory = sim.Memory(kChipA);
    ASSERT_EQ(memory.size(), static_cast<size_t>(ZQSIM_MEMORY_SIZE));
    EXPECT_EQ(std::string(memory.begin() + 0x10, memory.begin() + 0x14), " SN1");
}

// The chip stops taking frames after k of them: the write itself fails, nothing is read back.
class WriteStopsPartWay : public WriteConfig, public testing::WithParamInterface<unsigned> {};

TEST_P(WriteStopsPartWay, ReportsAFailedWrite) {
    unsigned answered = GetParam();
    ASSERT_TRUE(sim.MuteAfter(kChipA, answered));
    ChipsReady();
    StartApp();

    ClickAndWaitForJob(IDC_WRITE_CONFIG);

    EXPECT_EQ(Status(), kFailed);
    std::vector<ZqSimLogEntry> log = sim.Log(kChipA);
    ASSERT_EQ(log.size(), answered + 1) << "nothing after the first refused frame";
    EXPECT_EQ(CountKind(log, ZQSIM_LOG_WRITE), answered);
    EXPECT_EQ(log.back().kind, ZQSIM_LOG_MUTE);
}

INSTANTIATE_TEST_SUITE_P(FirstMiddleLast, WriteStopsPartWay, testing::Values(0u, 5u, 50u));

TEST_F(WriteConfig, ChipThatStopsRightAfterTheWriteLeavesItUnverified) {
    ASSERT_TRUE(sim.MuteAfter(kChipA, 51));
    ChipsReady();
    StartApp();

    ClickAndWaitForJob(IDC_WRITE_CONFIG);

    EXPECT_EQ(Status(), kUnverified);
    EXPECT_EQ(sim.Memory(kChipA), DefaultsImage().Bytes()) << "the write itself went through";
    std::vector<ZqSimLogEntry> log = sim.Log(kChipA);
    ASSERT_EQ(log.size(), 52u);
    EXPECT_EQ(log.back().command, 0xA1) << "the read-back's first frame went unanswered";
    EXPECT_EQ(log.back().kind, ZQSIM_LOG_MUTE);
}

TEST_F(WriteConfig, ChipThatStopsRightAfterTheLockLeavesItUnverified) {
    ASSERT_TRUE(sim.MuteAfter(kChipA, 52));
    ChipsReady();
    StartApp();
    TickLock();

    WriteWithLock(true);

    EXPECT_EQ(Status(), kUnverified);
    std::vector<uint8_t> memory = sim.Memory(kChipA);
    ASSERT_EQ(memory.size(), static_cast<size_t>(ZQSIM_MEMORY_SIZE));
    EXPECT_EQ(memory[0x03], 0x57);
}

}  // namespace
