// The outcomes of the read and write jobs against the simulated chip in each of its states.
#include <gtest/gtest.h>

#include <string>

#include "chip_port.h"
#include "config_jobs.h"
#include "config_sequence.h"
#include "form_values.h"
#include "memory_form.h"
#include "test_code_page.h"

namespace {

struct RecordingStatus : StatusLine {
    std::u16string text;
    int calls = 0;
    void SetStatus(const char16_t* status) override {
        text = status;
        calls++;
    }
};

class Jobs : public ::testing::Test {
protected:
    ChipPort port{0xFF};
    MemoryForm form;
    RecordingStatus status;
    std::unique_ptr<CodePage> codePage = MakeTestCodePage(1252);

    void SetUp() override {
        FillDefaults(form);
        form.texts[FormText::VendorId] = "1234";
        form.texts[FormText::ProductId] = "ABCD";
        form.boxes[FormBox::SerialEnabled] = 1;
        form.texts[FormText::Serial] = "SN42";
    }
    RecordPtr Gathered() {
        RecordPtr record;
        GatherForm(form, *codePage, record);
        return record;
    }
    JobOutcome Write() { return RunWriteJob(port, Gathered(), status); }
    void LockChipWith(const char* vendorId) {
        MemoryForm lockedForm = form;
        lockedForm.texts[FormText::VendorId] = vendorId;
        lockedForm.boxes[FormBox::WriteProtect] = 1;
        RecordPtr record;
        GatherForm(lockedForm, *codePage, record);
        ChipPort setup;  // write through a second port onto the same memory image
        WriteConfig(setup, *record);
        std::copy(setup.Chip().memory, setup.Chip().memory + 64, port.Chip().memory);
        ASSERT_TRUE(ChipIsLocked(&port.Chip()));
    }
};

TEST_F(Jobs, ReadOfAConfiguredChipShowsItsValues) {
    ASSERT_EQ(Write(), JobOutcome::WriteOk);
    FillDefaults(form);
    EXPECT_EQ(RunReadJob(port, *codePage, form, status), JobOutcome::ReadOk);
    EXPECT_EQ(status.text, u"读取成功");
    EXPECT_EQ(form.texts[FormText::VendorId], "1234");
    EXPECT_EQ(form.texts[FormText::Serial], "SN42");
}

TEST_F(Jobs, ReadOfAnUnconfiguredChipSucceedsAndLeavesTheForm) {
    MemoryForm before = form;
    EXPECT_EQ(RunReadJob(port, *codePage, form, status), JobOutcome::ReadOk);
    EXPECT_EQ(status.text, u"读取成功");
    EXPECT_EQ(form.texts, before.texts);
    EXPECT_EQ(form.boxes, before.boxes);
}

TEST_F(Jobs, ReadOfAMuteChipFailsAndLeavesTheForm) {
    ASSERT_EQ(Write(), JobOutcome::WriteOk);
    ChipMuteAfter(&port.Chip(), 20);
    MemoryForm before = form;
    form.texts[FormText::VendorId] = "FFFF";
    before.texts[FormText::VendorId] = "FFFF";
    EXPECT_EQ(RunReadJob(port, *codePage, form, status), JobOutcome::ReadFailed);
    EXPECT_EQ(status.text, u"读取失败请重试");
    EXPECT_EQ(form.texts, before.texts);
}

TEST_F(Jobs, WriteIsVerifiedByReadingBack) {
    EXPECT_EQ(Write(), JobOutcome::WriteOk);
    EXPECT_EQ(status.text, u"写入成功");
    EXPECT_EQ(status.calls, 1);
    EXPECT_EQ(port.Writes().size(), 51u + 52u);
    EXPECT_EQ(port.Chip().memory[0x04], 0x34);
    EXPECT_EQ(port.Chip().memory[0x05], 0x12);
}

TEST_F(Jobs, LockIsSentLastAndVerifies) {
    form.boxes[FormBox::WriteProtect] = 1;
    EXPECT_EQ(Write(), JobOutcome::WriteOk);
    ASSERT_EQ(port.Writes().size(), 52u + 52u);
    EXPECT_EQ(port.Writes()[51], (std::vector<uint8_t>{0x40, 0xA0, 0x03, 0x57}));
    EXPECT_TRUE(ChipIsLocked(&port.Chip()));
}

TEST_F(Jobs, LockedChipIsToldApartFromAFailedWrite) {
    LockChipWith("1111");
    EXPECT_EQ(Write(), JobOutcome::WriteLocked);
    EXPECT_EQ(status.text, u"芯片已开启写保护，写入失败");
    // Even a ticked box does not match a chip holding other content.
    form.boxes[FormBox::WriteProtect] = 1;
    EXPECT_EQ(Write(), JobOutcome::WriteLocked);
}

TEST_F(Jobs, LockedChipThatAlreadyHoldsTheFormVerifies) {
    LockChipWith("1234");
    form.boxes[FormBox::WriteProtect] = 1;
    EXPECT_EQ(Write(), JobOutcome::WriteOk);
    form.boxes[FormBox::WriteProtect] = 0;  // the lock on the chip differs from the box
    EXPECT_EQ(Write(), JobOutcome::WriteLocked);
}

TEST_F(Jobs, ChipThatStopsDuringTheWriteFails) {
    ChipMuteAfter(&port.Chip(), 30);
    EXPECT_EQ(Write(), JobOutcome::WriteFailed);
    EXPECT_EQ(status.text, u"写入失败请重试");
    EXPECT_EQ(port.Writes().size(), 31u);
}

TEST_F(Jobs, ChipThatStopsAfterTheWriteLeavesItUnverified) {
    ChipMuteAfter(&port.Chip(), 51);
    EXPECT_EQ(Write(), JobOutcome::WriteUnverified);
    EXPECT_EQ(status.text, u"写入成功但未校验，建议重新读取看是否写入成功");
}

TEST_F(Jobs, ReadBackThatDiffersWithoutALockFails) {
    // A serial starting with a space is written but reads back as absent.
    form.texts[FormText::Serial] = " SPACE";
    EXPECT_EQ(Write(), JobOutcome::WriteFailed);
    // So does a ticked product box with an empty string.
    form.texts[FormText::Serial] = "OK";
    form.texts[FormText::Product] = "";
    EXPECT_EQ(Write(), JobOutcome::WriteFailed);
}

}  // namespace
