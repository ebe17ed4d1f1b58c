// What the stand-in driver's contract tests share. Every test starts from the driver's default
// ports as they were at load time.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "perf_clock.h"
#include "serial_port.h"
#include "sim_control_client.h"
#include "tool_port.h"

// Ports the tests add at run time: one name a prefix of the other, and nothing Wine claims.
inline constexpr const char* kHotPlugChip = "COM35";
inline constexpr const char* kHotPlugForeign = "COM350";

// The identification query's answer, for telling the two signatures apart (the tool only asks
// whether it is one of them); false when the port does not open or GetCommProperties fails.
bool Identify(const std::string& port, DWORD* provSpec2);

// The values of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM (the port names).
std::vector<std::string> ListedPorts();

class SimDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(control.IsOpen()) << "no control device (error " << GetLastError()
                                      << "): start the driver with scripts/sim-driver.sh start";
        control.ResetDefaultPorts();
    }

    SimControl control;
};
