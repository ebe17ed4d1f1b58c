// What the dialog shows and allows before the user has done anything.
#include <gtest/gtest.h>

#include "app_session.h"
#include "remote_controls.h"
#include "resource.h"

namespace {

class Startup : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.Start()) << app.StartFailure(); }
    AppSession app;
};

TEST_F(Startup, ShowsTheDefaultIdentityAndAnEmptyStatus) {
    EXPECT_EQ(TextOf(app.Dialog()), L"ZQ61CFG-Produce information config");
    EXPECT_EQ(FormOf(app.Dialog()), DefaultForm(false));
    EXPECT_EQ(TextOf(app.Control(IDC_STATUS)), L"");
}

TEST_F(Startup, LimitsEachEditToItsChipField) {
    // Each limit sits on the control bound to it, so a member bound to the wrong ID shows here.
    EXPECT_EQ(SendMessageA(app.Control(IDC_VID), EM_GETLIMITTEXT, 0, 0), 4);
    EXPECT_EQ(SendMessageA(app.Control(IDC_PID), EM_GETLIMITTEXT, 0, 0), 4);
    EXPECT_EQ(SendMessageA(app.Control(IDC_SERIAL), EM_GETLIMITTEXT, 0, 0), 8);
    EXPECT_EQ(SendMessageA(app.Control(IDC_PRODUCT), EM_GETLIMITTEXT, 0, 0), 18);
}

TEST_F(Startup, FocusesTheVendorIdAndLeavesTheActionsUsable) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetGUIThreadInfo(app.ThreadId(), &info));
    EXPECT_EQ(info.hwndFocus, app.Control(IDC_VID));
    EXPECT_TRUE(IsWindowEnabled(app.Control(IDC_READ_CONFIG)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(IDC_WRITE_CONFIG)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(IDC_PORT)));
    EXPECT_TRUE(IsWindowEnabled(app.Control(IDC_RESTORE_DEFAULTS)));
}

}  // namespace
