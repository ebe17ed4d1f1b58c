// A port that cannot be opened: the one message box, and no job at all.
#include <gtest/gtest.h>

#include "e2e_harness.h"
#include "remote_controls.h"
#include "resource.h"

namespace {

class OpenFailure : public ChipTest {
protected:
    // Clicks the action, expects the open-failure box and dismisses it.
    void ExpectOpenFailure(int button) {
        PostClick(Control(button));
        HWND box = app.WaitForOtherDialog(5000);
        ASSERT_NE(box, nullptr) << "no message box";
        EXPECT_EQ(MessageBoxText(box), L"打开串口失败");
        EXPECT_EQ(TextOf(box), L"ZQ61CFG");
        Answer(box, IDOK);
    }

    void ExpectNoJob() {
        for (const char* port : kDefaultPorts) {
            EXPECT_TRUE(sim.Log(port).empty()) << port;
            EXPECT_EQ(sim.State(port).openHandles, 0u) << port;
        }
        EXPECT_TRUE(ActionsEnabled());
        EXPECT_EQ(Status(), L"");
        EXPECT_EQ(app.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
    }
};

TEST_F(OpenFailure, PortHeldByAnotherProgramAfterStartUp) {
    ChipsReady();
    StartApp();
    ASSERT_EQ(PortEntries(Control(IDC_PORT)).size(), 2u);
    ASSERT_TRUE(sim.Hold(kChipA));

    ExpectOpenFailure(IDC_READ_CONFIG);
    ExpectNoJob();
    ExpectOpenFailure(IDC_WRITE_CONFIG);
    ExpectNoJob();

    // Once the other program lets go, the same entry works.
    ASSERT_TRUE(sim.Release(kChipA));
    ClickAndWaitForJob(IDC_READ_CONFIG);
    EXPECT_EQ(Status(), L"读取成功");
}

TEST_F(OpenFailure, EmptiedPortList) {
    ChipsReady();
    StartApp();
    SendPortChange(app.Dialog(), 0x8004, kChipA);
    SendPortChange(app.Dialog(), 0x8004, kChipB);
    ASSERT_TRUE(PortEntries(Control(IDC_PORT)).empty());

    ExpectOpenFailure(IDC_READ_CONFIG);
    ExpectNoJob();
    ExpectOpenFailure(IDC_WRITE_CONFIG);
    ExpectNoJob();
}

TEST_F(OpenFailure, RemovingTheSelectedPortLeavesNoSelection) {
    ChipsReady();
    StartApp();
    SendPortChange(app.Dialog(), 0x8004, kChipA);
    EXPECT_EQ(PortEntries(Control(IDC_PORT)), std::vector<std::wstring>{L"COM22"});
    EXPECT_EQ(Selection(Control(IDC_PORT)), -1) << "no other entry is selected for the user";

    ExpectOpenFailure(IDC_READ_CONFIG);
    ExpectNoJob();
}

}  // namespace
