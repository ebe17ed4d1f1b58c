// Port arrivals and removals announced to the running dialog: only chip ports join the list, the
// first into an empty list is selected, and a removal takes away only the port it names.
#include <gtest/gtest.h>

#include <windows.h>

#include <dbt.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_harness.h"
#include "remote_controls.h"
#include "resource.h"

namespace {

using Entries = std::vector<std::wstring>;

// Run-time ports of these tests: one name a prefix of the other, one of each signature, and
// names nothing else in the prefix claims.
constexpr const char* kShortChip = "COM37";  // chip B
constexpr const char* kLongChip = "COM370";  // chip A

class HotPlug : public ChipTest {
protected:
    void SetUp() override {
        ChipsReady();
        StartApp();
    }

    void Arrive(const char* name) { SendPortChange(app.Dialog(), DBT_DEVICEARRIVAL, name); }
    void Leave(const char* name) { SendPortChange(app.Dialog(), DBT_DEVICEREMOVECOMPLETE, name); }
    Entries List() const { return PortEntries(Control(IDC_PORT)); }
    int Selected() const { return Selection(Control(IDC_PORT)); }

    void EmptyTheList() {
        Leave(kChipA);
        Leave(kChipB);
        ASSERT_TRUE(List().empty());
    }
};

TEST_F(HotPlug, FirstArrivalIntoAnEmptyListIsSelectedTheNextIsNot) {
    EmptyTheList();
    Arrive(kChipB);
    EXPECT_EQ(List(), (Entries{L"COM22"}));
    EXPECT_EQ(Selected(), 0);
    Arrive(kChipA);
    EXPECT_EQ(List(), (Entries{L"COM22", L"COM21"})) << "appended, not sorted";
    EXPECT_EQ(Selected(), 0) << "the selection stays where it was";

    // The entry that arrived is the one used.
    ClickAndWaitForJob(IDC_READ_CONFIG);
    EXPECT_EQ(Status(), L"读取成功");
    EXPECT_EQ(CountKind(sim.Log(kChipB), ZQSIM_LOG_READ), 52u);
    EXPECT_TRUE(sim.Log(kChipA).empty());
}

TEST_F(HotPlug, ForeignMissingAndHeldPortsDoNotJoin) {
    EmptyTheList();
    Arrive(kForeign);
    Arrive("COM99");  // announced, but nothing there to open
    ASSERT_TRUE(sim.Hold(kChipA));
    Arrive(kChipA);
    EXPECT_TRUE(List().empty());
    EXPECT_EQ(Selected(), -1);
    EXPECT_EQ(sim.State(kForeign).openHandles, 0u) << "the probe closes what it opens";
}

TEST_F(HotPlug, OtherEventsAndDeviceTypesChangeNothing) {
    SendPortChange(app.Dialog(), DBT_DEVICEQUERYREMOVE, kChipA);
    SendPortChange(app.Dialog(), DBT_DEVICEREMOVEPENDING, kChipA);
    SendPortChange(app.Dialog(), DBT_DEVICEREMOVECOMPLETE, kChipA, DBT_DEVTYP_VOLUME);
    SendPortChange(app.Dialog(), DBT_DEVICEARRIVAL, kChipA, DBT_DEVTYP_DEVICEINTERFACE);
    EXPECT_EQ(List(), (Entries{L"COM21", L"COM22"}));
    EXPECT_EQ(Selected(), 0);
}

TEST_F(HotPlug, RemovalOfANameThatOnlyPrefixesListedPortsRemovesNothing) {
    Leave("COM2");
    Leave("com");
    EXPECT_EQ(List(), (Entries{L"COM21", L"COM22"}));
    Leave("com22");  // port names are not case-sensitive
    EXPECT_EQ(List(), (Entries{L"COM21"}));
}

TEST_F(HotPlug, PortAnnouncedTwiceIsListedTwiceAndLeavesOneAtATime) {
    Arrive(kChipA);
    EXPECT_EQ(List(), (Entries{L"COM21", L"COM22", L"COM21"}));
    Leave(kChipA);
    Entries left = List();
    EXPECT_EQ(left.size(), 2u);
    EXPECT_EQ(std::count(left.begin(), left.end(), L"COM21"), 1);
}

class RunTimePorts : public HotPlug {
protected:
    // The ports come after the tool has started, so only their notifications can list them.
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(HotPlug::SetUp());
        ASSERT_NO_FATAL_FAILURE(AddPort(kShortChip, ZQSIM_KIND_CHIP_B));
        ASSERT_NO_FATAL_FAILURE(AddPort(kLongChip, ZQSIM_KIND_CHIP_A));
        ASSERT_EQ(List(), (Entries{L"COM21", L"COM22"}));
        ChipsReady();
    }
    // Taken away again, whatever happened: later tests and programs see the default ports only.
    void TearDown() override {
        for (const char* port : {kShortChip, kLongChip}) {
            sim.Remove(port);
        }
    }

    // Adds the port, or brings back one an earlier run added and took away.
    void AddPort(const char* name, unsigned kind) {
        if (!sim.AddPort(name, kind)) {
            ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << name;
            ASSERT_EQ(sim.State(name).kind, kind) << name << " exists as another kind";
        }
        ASSERT_TRUE(sim.Reset(name)) << name;
    }
};

TEST_F(RunTimePorts, RemovalOfAPortWhoseNamePrefixesAnotherRemovesOnlyIt) {
    // The longer name first, so a prefix search from the top would find it before the shorter.
    Arrive(kLongChip);
    Arrive(kShortChip);
    EXPECT_EQ(List(), (Entries{L"COM21", L"COM22", L"COM370", L"COM37"})) << "both signatures";

    ASSERT_TRUE(sim.Remove(kShortChip));
    Leave(kShortChip);
    EXPECT_EQ(List(), (Entries{L"COM21", L"COM22", L"COM370"}));

    // What is left is the real COM370.
    SelectPort(Control(IDC_PORT), 2);
    ClickAndWaitForJob(IDC_READ_CONFIG);
    EXPECT_EQ(Status(), L"读取成功");
    EXPECT_EQ(CountKind(sim.Log(kLongChip), ZQSIM_LOG_READ), 52u);
}

TEST_F(RunTimePorts, RemovalOfTheLongerNameLeavesTheShorter) {
    Arrive(kShortChip);
    Arrive(kLongChip);
    ASSERT_TRUE(sim.Remove(kLongChip));
    Leave(kLongChip);
    EXPECT_EQ(List(), (Entries{L"COM21", L"COM22", L"COM37"}));
}

}  // namespace
