// Finding the chip's ports: the identification query, the registry walk, and port arrivals and
// removals, against the stand-in driver's ports.
#include <windows.h>

#include <dbt.h>

#include <cstddef>
#include <vector>

#include "memory_port_list.h"
#include "port_discovery.h"
#include "port_notification.h"
#include "port_test_env.h"

namespace {

class PortDiscovery : public SimulatedPorts {
protected:
    MemoryPortList list;

    void Notify(WPARAM event, const std::string& name) {
        std::vector<char> data = PortNotification(name);
        HandlePortChange(event, reinterpret_cast<LPARAM>(data.data()), list);
    }
};

TEST_F(PortDiscovery, OnlyTheChipDriversPortsIdentify) {
    EXPECT_EQ(ProbePort(kChipA), 1);
    EXPECT_EQ(ProbePort(kChipB), 1);
    EXPECT_EQ(ProbePort(kForeign), 0);
    EXPECT_EQ(ProbePort("COM97"), 0);
    EXPECT_EQ(ProbePort(nullptr), 0);
    EXPECT_EQ(ProbePort(std::string(60, 'X').c_str()), 0);
    EXPECT_EQ(IsDriverPort(nullptr), 0);
    EXPECT_EQ(IsDriverPort(INVALID_HANDLE_VALUE), 0);
    // Probing never sends a frame.
    EXPECT_EQ(sim.Log(kChipA).size(), 0u);
    EXPECT_EQ(sim.Log(kForeign).size(), 0u);
}

TEST_F(PortDiscovery, PortHeldByAnotherProgramIsNotListed) {
    ASSERT_TRUE(sim.Hold(kChipA));
    EXPECT_EQ(ProbePort(kChipA), 0);
    EnumeratePorts(list);
    EXPECT_EQ(list.names, (std::vector<std::string>{kChipB}));
}

TEST_F(PortDiscovery, RegistryWalkListsTheChipsInMapOrderAndSelectsTheFirst) {
    EnumeratePorts(list);
    EXPECT_EQ(list.names, (std::vector<std::string>{kChipA, kChipB}));
    EXPECT_EQ(list.selection, 0);
}

TEST_F(PortDiscovery, RegistryWalkSkipsWhatDoesNotFitAndEndsOnAMissingKey) {
    const char* key = "Software\\ZQ61CFG-tests\\SERIALCOMM";
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
    EnumeratePortsUnder(HKEY_CURRENT_USER, key, list);  // no key: nothing listed, nothing selected
    EXPECT_TRUE(list.names.empty());
    EXPECT_EQ(list.selection, -1);

    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, key, &handle), ERROR_SUCCESS);
    auto set = [&](const std::string& name, const std::string& data) {
        RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    };
    set("a", kChipA);
    set(std::string(40, 'b'), kChipB);  // value name too long: skipped
    set("c", std::string(40, 'C'));     // port name too long: skipped
    set("d", kForeign);                 // not ours
    set("e", kChipB);
    // Data that is not terminated must not run into what follows it.
    RegSetValueExA(handle, "f", 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>("COM21COM21COM21COM21COM21COM2"), 30);
    RegCloseKey(handle);

    EnumeratePortsUnder(HKEY_CURRENT_USER, key, list);
    EXPECT_EQ(list.names, (std::vector<std::string>{kChipA, kChipB}));
    EXPECT_EQ(list.selection, 0);
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
}

TEST_F(PortDiscovery, ArrivalAddsProbedChipPortsAndSelectsTheFirstOnly) {
    Notify(DBT_DEVICEARRIVAL, kForeign);
    EXPECT_TRUE(list.names.empty());
    Notify(DBT_DEVICEARRIVAL, kChipB);
    EXPECT_EQ(list.names, (std::vector<std::string>{kChipB}));
    EXPECT_EQ(list.selection, 0);
    list.selection = -1;
    Notify(DBT_DEVICEARRIVAL, kChipA);
    EXPECT_EQ(list.names, (std::vector<std::string>{kChipB, kChipA}));
    EXPECT_EQ(list.selection, -1);
    Notify(DBT_DEVICEARRIVAL, kChipA);  // announced twice, listed twice
    EXPECT_EQ(list.names.size(), 3u);
    Notify(DBT_DEVICEQUERYREMOVE, kChipA);  // other events change nothing
    EXPECT_EQ(list.names.size(), 3u);
}

TEST_F(PortDiscovery, RemovalDeletesOnlyTheEntryNamedExactly) {
    list.names = {"COM50", "COM5", kChipA, kChipA};
    list.selection = 1;
    Notify(DBT_DEVICEREMOVECOMPLETE, "com5");
    EXPECT_EQ(list.names, (std::vector<std::string>{"COM50", kChipA, kChipA}));
    EXPECT_EQ(list.selection, -1);
    Notify(DBT_DEVICEREMOVECOMPLETE, "COM");
    EXPECT_EQ(list.names.size(), 3u);
    Notify(DBT_DEVICEREMOVECOMPLETE, kChipA);
    EXPECT_EQ(list.names, (std::vector<std::string>{"COM50", kChipA}));
}

TEST_F(PortDiscovery, NotificationsThatCannotBeTrustedAreIgnored) {
    list.names = {kChipA};
    std::string longName(60, 'C');
    Notify(DBT_DEVICEARRIVAL, longName);
    Notify(DBT_DEVICEREMOVECOMPLETE, longName);
    EXPECT_EQ(list.names.size(), 1u);
    // A record whose declared size ends before the name's terminator.
    std::vector<char> cut =
        PortNotification(kChipA, DBT_DEVTYP_PORT, offsetof(DEV_BROADCAST_PORT_A, dbcp_name) + 3);
    HandlePortChange(DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(cut.data()), list);
    EXPECT_EQ(list.names.size(), 1u);
    HandlePortChange(DBT_DEVICEARRIVAL, 0, list);
    EXPECT_EQ(list.names.size(), 1u);
}

}  // namespace
