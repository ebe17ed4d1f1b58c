// Port-layer tests run against the stand-in driver's ports.
#pragma once

#include <gtest/gtest.h>

#include "sim_control_client.h"

inline const char* const kChipA = ZQSIM_DEFAULT_CHIP_A;
inline const char* const kChipB = ZQSIM_DEFAULT_CHIP_B;
inline const char* const kForeign = ZQSIM_DEFAULT_FOREIGN;

// Every test starts from blank, answering chips with empty logs.
class SimulatedPorts : public ::testing::Test {
protected:
    SimControl sim;

    void SetUp() override {
        ASSERT_TRUE(sim.IsOpen())
            << "the stand-in driver is not loaded (scripts/sim-driver.sh start)";
        for (const char* port : {kChipA, kChipB, kForeign}) {
            ASSERT_TRUE(sim.Reset(port)) << port;
        }
    }
};
