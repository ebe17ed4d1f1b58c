// Read Config and Write Config up to the point where a port would be opened: the open-failure
// box, and the questions asked before a write that stores zeros or locks the chip. With no
// port selected every open fails, so these hold whatever ports the machine has.
#include <gtest/gtest.h>

#include <string>

#include "app_session.h"
#include "remote_controls.h"
#include "resource.h"

namespace {

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

class WriteActions : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(app.Start()) << app.StartFailure();
        SendMessageA(app.Control(IDC_PORT), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    }

    // Answers the open box and waits until it is gone.
    void Answer(HWND box, int button) {
        PostMessageA(box, WM_COMMAND, button, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    }

    void ExpectOpenFailureBox(HWND box) {
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), L"打开串口失败");
        EXPECT_EQ(TextOf(box), L"ZQ61CFG");
        EXPECT_EQ(VisibleButtonCount(box), 1);
        EXPECT_NE(ButtonText(box, IDOK), L"");
        EXPECT_FALSE(HasVisibleIcon(box));
    }

    // A question box defaults to No, so Enter never locks a chip by accident.
    void ExpectDefaultNo(HWND box) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(GetGUIThreadInfo(app.ThreadId(), &info));
        EXPECT_EQ(info.hwndFocus, GetDlgItem(box, IDNO));
    }

    AppSession app;
};

TEST_F(WriteActions, ReadWithoutAPortShowsTheOpenFailureAndNothingElse) {
    PostClick(app.Control(IDC_READ_CONFIG));
    HWND box = app.WaitForOtherDialog(5000);
    ExpectOpenFailureBox(box);
    Answer(box, IDOK);
    EXPECT_EQ(TextOf(app.Control(IDC_STATUS)), L"");
    EXPECT_TRUE(IsWindowEnabled(app.Control(IDC_READ_CONFIG)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(IDC_WRITE_CONFIG)));
}

TEST_F(WriteActions, PlainWriteWithoutAPortGoesStraightToTheOpenFailure) {
    PostClick(app.Control(IDC_WRITE_CONFIG));
    ExpectOpenFailureBox(app.WaitForOtherDialog(5000));
}

TEST_F(WriteActions, PartialVendorIdAsksWithTheValueThatWouldBeStored) {
    SetText(app.Control(IDC_VID), "12G4");
    PostClick(app.Control(IDC_WRITE_CONFIG));
    HWND box = app.WaitForOtherDialog(5000);
    ASSERT_NE(box, nullptr);
    std::wstring question = MessageBoxText(box);
    EXPECT_TRUE(Contains(question, L"12G4")) << "the text as typed";
    EXPECT_TRUE(Contains(question, L"0x1200")) << "what gathering makes of it";
    EXPECT_FALSE(Contains(question, L"6C04")) << "a valid product ID is not questioned";
    ExpectDefaultNo(box);

    Answer(box, IDNO);
    EXPECT_EQ(app.WaitForOtherDialog(500), nullptr) << "No must not even try the port";
}

TEST_F(WriteActions, ShortProductIdAnsweredYesGoesOnToThePort) {
    SetText(app.Control(IDC_PID), "7");
    PostClick(app.Control(IDC_WRITE_CONFIG));
    HWND box = app.WaitForOtherDialog(5000);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Contains(MessageBoxText(box), L"0x0000"));
    Answer(box, IDYES);
    ExpectOpenFailureBox(app.WaitForOtherDialog(5000));
}

TEST_F(WriteActions, TooLongIdIsQuestionedEvenThoughItsFirstFourDigitsAreValid) {
    // A text set from outside bypasses the edit's limit; gathering reads only four characters.
    SetText(app.Control(IDC_VID), "2E1B5");
    PostClick(app.Control(IDC_WRITE_CONFIG));
    HWND box = app.WaitForOtherDialog(5000);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Contains(MessageBoxText(box), L"0x2E1B"));
    Answer(box, IDNO);
}

TEST_F(WriteActions, LockAsksWithWhatWillBeWrittenAndNoWritesNothing) {
    Click(app.Control(IDC_WRITE_PROTECT));
    Click(app.Control(IDC_SERIAL_ENABLE));
    SetText(app.Control(IDC_SERIAL), "SN42");
    PostClick(app.Control(IDC_WRITE_CONFIG));
    HWND box = app.WaitForOtherDialog(5000);
    ASSERT_NE(box, nullptr);
    std::wstring question = MessageBoxText(box);
    EXPECT_TRUE(Contains(question, L"永久"));
    EXPECT_TRUE(Contains(question, L"0x2E1B"));
    EXPECT_TRUE(Contains(question, L"0x6C04"));
    EXPECT_TRUE(Contains(question, L"SN42"));
    EXPECT_TRUE(Contains(question, L"usb2.0 serial"));
    ExpectDefaultNo(box);

    Answer(box, IDNO);
    EXPECT_EQ(app.WaitForOtherDialog(500), nullptr);
    EXPECT_TRUE(IsChecked(app.Control(IDC_WRITE_PROTECT))) << "the form is left as it was";
}

TEST_F(WriteActions, BadIdIsAskedBeforeTheLockAndYesToBothReachesThePort) {
    Click(app.Control(IDC_WRITE_PROTECT));
    SetText(app.Control(IDC_PID), "");
    PostClick(app.Control(IDC_WRITE_CONFIG));
    HWND idBox = app.WaitForOtherDialog(5000);
    ASSERT_NE(idBox, nullptr);
    EXPECT_FALSE(Contains(MessageBoxText(idBox), L"永久"));
    Answer(idBox, IDYES);

    HWND lockBox = app.WaitForOtherDialog(5000);
    ASSERT_NE(lockBox, nullptr);
    EXPECT_TRUE(Contains(MessageBoxText(lockBox), L"永久"));
    EXPECT_TRUE(Contains(MessageBoxText(lockBox), L"PID：0x0000"));
    Answer(lockBox, IDYES);

    ExpectOpenFailureBox(app.WaitForOtherDialog(5000));
}

}  // namespace
