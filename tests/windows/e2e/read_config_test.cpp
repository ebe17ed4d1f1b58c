// Read Config against the simulated chips: what the form shows for a configured chip, that an
// unconfigured one leaves the form alone, and that a chip going mute fails the read untouched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"
#include "remote_controls.h"
#include "resource.h"

namespace {

class ReadConfig : public ChipTest {
protected:
    FormState Form() const { return FormOf(app.Dialog()); }

    // Reads the chip in image after setting it to stop answering after muteAfter frames: the
    // read fails and the form stays as it was. log is what reached the chip.
    void ReadChipThatGoesMute(const ChipImage& image, unsigned muteAfter,
                              std::vector<ZqSimLogEntry>& log) {
        ASSERT_TRUE(sim.SetMemory(kChipA, 0, image.Bytes()));
        ASSERT_TRUE(sim.MuteAfter(kChipA, muteAfter));
        ChipsReady();
        StartApp();
        FillDistinctForm();
        FormState before = Form();

        ClickAndWaitForJob(IDC_READ_CONFIG);

        EXPECT_EQ(Status(), L"读取失败请重试");
        EXPECT_EQ(Form(), before);
        log = sim.Log(kChipA);
    }

    // A form that no read of the chips below would produce, so any change shows.
    void FillDistinctForm() {
        SetText(Control(IDC_VID), "1111");
        SetText(Control(IDC_PID), "2222");
        Click(Control(IDC_SERIAL_ENABLE));
        SetText(Control(IDC_SERIAL), "OLDSER");
        SetText(Control(IDC_PRODUCT), "old product");
        Click(Control(IDC_WRITE_PROTECT));
    }
};

TEST_F(ReadConfig, ConfiguredChipFillsTheFormWithItsValues) {
    ChipImage image;
    image.vendorId = 0xABCD;
    image.productId = 0x00EF;
    image.serial = "XY12";
    image.product = u"桥接ok";
    image.locked = true;
    ASSERT_TRUE(sim.SetMemory(kChipA, 0, image.Bytes()));
    ChipsReady();
    StartApp();

    ClickAndWaitForJob(IDC_READ_CONFIG);

    EXPECT_EQ(Status(), L"读取成功");
    // Upper-case, four digits with leading zeros; every box set from the chip, each the opposite
    // of the defaults the form started with.
    EXPECT_EQ(Form(), (FormState{L"ABCD", L"00EF", L"XY12", L"桥接ok", true, true, true}));
    std::vector<ZqSimLogEntry> log = sim.Log(kChipA);
    std::vector<uint8_t> order = ReadOrder();
    ASSERT_EQ(log.size(), order.size());
    for (size_t i = 0; i < log.size(); i++) {
        EXPECT_EQ(log[i].kind, ZQSIM_LOG_READ) << "frame " << i;
        EXPECT_EQ(log[i].address, order[i]) << "frame " << i;
    }
    EXPECT_TRUE(sim.Log(kChipB).empty()) << "only the selected chip is read";
}

TEST_F(ReadConfig, AbsentFieldsClearTheirBoxesAndAnErasedVendorShowsTheDefaultIds) {
    ChipImage image;
    image.vendorId = 0xFFFF;
    image.productId = 0x1234;
    image.serial = " ABCDEFG";  // a leading space makes the serial absent
    image.product = u"";        // a descriptor of length 2 is an absent product string
    ASSERT_TRUE(sim.SetMemory(kChipB, 0, image.Bytes()));
    ChipsReady();
    StartApp();
    FillDistinctForm();
    SelectPort(Control(IDC_PORT), 1);

    ClickAndWaitForJob(IDC_READ_CONFIG);

    EXPECT_EQ(Status(), L"读取成功");
    EXPECT_EQ(Form(), (FormState{L"2E1B", L"6C04", L"", L"", false, false, false}));
    EXPECT_EQ(CountKind(sim.Log(kChipB), ZQSIM_LOG_READ), 52u);
    EXPECT_TRUE(sim.Log(kChipA).empty()) << "only the selected chip is read";
}

TEST_F(ReadConfig, FullLengthProductStringsAreShownWholeOrCutAtAWholeCharacter) {
    ChipImage ascii;
    ascii.vendorId = 0x1234;
    ascii.product = u"ABCDEFGHIJKLMNOPQR";  // 18 units: the descriptor's whole room
    ChipImage wide = ascii;
    wide.product = u"一二三四五六七八九十甲乙丙丁戊己庚辛";  // 36 bytes in the ANSI code page
    ASSERT_TRUE(sim.SetMemory(kChipA, 0, ascii.Bytes()));
    ASSERT_TRUE(sim.SetMemory(kChipB, 0, wide.Bytes()));
    ChipsReady();
    StartApp();

    ClickAndWaitForJob(IDC_READ_CONFIG);
    EXPECT_EQ(Status(), L"读取成功");
    EXPECT_EQ(TextOf(Control(IDC_PRODUCT)), L"ABCDEFGHIJKLMNOPQR");

    SelectPort(Control(IDC_PORT), 1);
    ClickAndWaitForJob(IDC_READ_CONFIG);
    EXPECT_EQ(Status(), L"读取成功");
    // Too long for the text shown: cut where whole characters still fit, never mid-character.
    EXPECT_EQ(TextOf(Control(IDC_PRODUCT)), L"一二三四五六七八九十甲乙丙丁戊");
    EXPECT_TRUE(IsChecked(Control(IDC_PRODUCT_ENABLE)));
}

TEST_F(ReadConfig, UnconfiguredChipsSucceedAndLeaveTheFormAsItWas) {
    // Chip A is blank; chip B holds a whole configuration but no marker.
    ChipImage image;
    image.vendorId = 0x4321;
    image.serial = "SERIAL01";
    image.product = u"unmarked";
    std::vector<uint8_t> unmarked = image.Bytes();
    unmarked[0x00] = 0x00;
    ASSERT_TRUE(sim.SetMemory(kChipB, 0, unmarked));
    ChipsReady();
    StartApp();
    FillDistinctForm();
    FormState before = Form();

    ClickAndWaitForJob(IDC_READ_CONFIG);
    EXPECT_EQ(Status(), L"读取成功");
    EXPECT_EQ(Form(), before);
    EXPECT_EQ(CountKind(sim.Log(kChipA), ZQSIM_LOG_READ), 52u) << "read in full all the same";

    SelectPort(Control(IDC_PORT), 1);
    ClickAndWaitForJob(IDC_READ_CONFIG);
    EXPECT_EQ(Status(), L"读取成功");
    EXPECT_EQ(Form(), before);
    EXPECT_EQ(CountKind(sim.Log(kChipB), ZQSIM_LOG_READ), 52u);
}

TEST_F(ReadConfig, ChipThatNeverAnswersFailsTheReadAfterOneFrame) {
    ChipImage image;
    image.vendorId = 0x1A86;
    std::vector<ZqSimLogEntry> log;
    ASSERT_NO_FATAL_FAILURE(ReadChipThatGoesMute(image, 0, log));
    ASSERT_EQ(log.size(), 1u) << "nothing is sent after the first unanswered frame";
    EXPECT_EQ(log[0].kind, ZQSIM_LOG_MUTE);
    EXPECT_EQ(log[0].address, 0x00);
    EXPECT_EQ(sim.Counters(kChipA).readTimeouts, 1u);
}

TEST_F(ReadConfig, ChipThatStopsInTheSerialFailsTheReadAndShowsNothingOfIt) {
    ChipImage image;
    image.vendorId = 0x1A86;
    image.serial = "PARTIAL1";
    std::vector<ZqSimLogEntry> log;
    // marker, lock, 4 ID bytes, 4 serial bytes
    ASSERT_NO_FATAL_FAILURE(ReadChipThatGoesMute(image, 10, log));
    ASSERT_EQ(log.size(), 11u) << "the read stops at its first unanswered frame";
    EXPECT_EQ(CountKind(log, ZQSIM_LOG_READ), 10u);
    EXPECT_EQ(log.back().kind, ZQSIM_LOG_MUTE);
    EXPECT_EQ(log.back().address, 0x14);
}

TEST_F(ReadConfig, FailedReadIsReplacedByTheNextOutcome) {
    ChipImage image;
    image.vendorId = 0x0403;
    image.productId = 0x6001;
    ASSERT_TRUE(sim.SetMemory(kChipA, 0, image.Bytes()));
    ASSERT_TRUE(sim.MuteAfter(kChipA, 0));
    ChipsReady();
    StartApp();

    ClickAndWaitForJob(IDC_READ_CONFIG);
    EXPECT_EQ(Status(), L"读取失败请重试");

    ASSERT_TRUE(sim.AnswerAgain(kChipA));
    ClickAndWaitForJob(IDC_READ_CONFIG);
    EXPECT_EQ(Status(), L"读取成功");
    EXPECT_EQ(TextOf(Control(IDC_VID)), L"0403");
    EXPECT_EQ(TextOf(Control(IDC_PID)), L"6001");
}

}  // namespace
