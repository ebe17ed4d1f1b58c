// Every way out of the dialog ends the program, with exit code 0.
#include <gtest/gtest.h>

#include "app_session.h"
#include "remote_controls.h"
#include "resource.h"

namespace {

class Closing : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.Start()) << app.StartFailure(); }
    AppSession app;
};

TEST_F(Closing, EnterInAnEditEndsTheDialog) {
    PostMessageA(app.Control(IDC_PRODUCT), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(app.WaitForExit(5000), 0u);
}

TEST_F(Closing, EscapeEndsTheDialog) {
    PostMessageA(app.Control(IDC_VID), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(app.WaitForExit(5000), 0u);
}

TEST_F(Closing, ExitButtonEndsTheDialog) {
    PostClick(app.Control(IDCANCEL));
    EXPECT_EQ(app.WaitForExit(5000), 0u);
}

TEST_F(Closing, CloseBoxEndsTheDialog) {
    PostMessageA(app.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(app.WaitForExit(5000), 0u);
}

}  // namespace
