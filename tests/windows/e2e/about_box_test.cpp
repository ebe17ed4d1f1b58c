// The About item of the system menu and its box.
#include <gtest/gtest.h>

#include "app_session.h"
#include "remote_controls.h"
#include "resource.h"

namespace {

class AboutBox : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.Start()) << app.StartFailure(); }
    AppSession app;
};

TEST_F(AboutBox, OpensModallyFromTheSystemMenuAndClosesBackToAnUnchangedDialog) {
    SetText(app.Control(IDC_VID), "ABCD");
    Click(app.Control(IDC_WRITE_PROTECT));
    // Posted: the command runs the box's modal loop, so a sent one would not return.
    PostMessageA(app.Dialog(), WM_SYSCOMMAND, IDM_ABOUT, 0);
    HWND about = app.WaitForOtherDialog(5000);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(TextOf(about), L"关于 ZQ61CFG");
    EXPECT_EQ(ButtonText(about, IDOK), L"确定");
    EXPECT_TRUE(HasVisibleIcon(about));
    EXPECT_FALSE(IsWindowEnabled(app.Dialog())) << "the About box must be modal to the dialog";

    PostClick(GetDlgItem(about, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 5000));
    EXPECT_TRUE(IsWindowEnabled(app.Dialog()));
    EXPECT_EQ(TextOf(app.Control(IDC_VID)), L"ABCD");
    EXPECT_TRUE(IsChecked(app.Control(IDC_WRITE_PROTECT)));
    EXPECT_EQ(app.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
}

TEST_F(AboutBox, OtherSystemCommandsKeepTheirUsualMeaning) {
    PostMessageA(app.Dialog(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(app.Dialog()) != FALSE; }, 5000));
    PostMessageA(app.Dialog(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(app.Dialog()) == FALSE; }, 5000));
    EXPECT_EQ(app.WaitForOtherDialog(300), nullptr);
}

}  // namespace
