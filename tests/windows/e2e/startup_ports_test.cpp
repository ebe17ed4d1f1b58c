// The port list at start-up: only ports whose driver identifies as the chip's, in the order the
// system lists them, the first selected; a port another program holds is left out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_harness.h"
#include "remote_controls.h"
#include "resource.h"

namespace {

using StartupPorts = ChipTest;
using Entries = std::vector<std::wstring>;

TEST_F(StartupPorts, ListsBothChipsInRegistryOrderButNotTheForeignPortAndSelectsTheFirst) {
    ChipsReady();
    StartApp();
    EXPECT_EQ(PortEntries(Control(IDC_PORT)), (Entries{L"COM21", L"COM22"}));
    EXPECT_EQ(Selection(Control(IDC_PORT)), 0);
    EXPECT_EQ(TextOf(Control(IDC_PORT)), L"COM21") << "the selection is what the box shows";
    EXPECT_EQ(Status(), L"");
    // Probing alone sends no frame: the check after the test sees every log empty.
}

TEST_F(StartupPorts, PortHeldByAnotherProgramIsNotListed) {
    ASSERT_TRUE(sim.Hold(kChipA));
    ChipsReady();
    StartApp();
    EXPECT_EQ(PortEntries(Control(IDC_PORT)), (Entries{L"COM22"}));
    EXPECT_EQ(Selection(Control(IDC_PORT)), 0);
}

TEST_F(StartupPorts, NoChipPortLeavesAnEmptyListAndReadFailsToOpen) {
    ASSERT_TRUE(sim.Remove(kChipA));
    ASSERT_TRUE(sim.Remove(kChipB));
    ChipsReady();
    StartApp();
    EXPECT_TRUE(PortEntries(Control(IDC_PORT)).empty());
    EXPECT_EQ(Selection(Control(IDC_PORT)), -1);
    EXPECT_EQ(TextOf(Control(IDC_VID)), L"2E1B") << "the defaults are shown all the same";

    PostClick(Control(IDC_READ_CONFIG));
    HWND box = app.WaitForOtherDialog(5000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), L"打开串口失败");
    Answer(box, IDOK);
    EXPECT_EQ(Status(), L"");
}

}  // namespace
