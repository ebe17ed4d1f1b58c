// Port-layer tests run against the stand-in driver's ports.
#pragma once

#include <gtest/gtest.h>

#include "sim_control_client.h"

// Every test starts from blank, answering chips with empty logs.
class SimulatedPorts : public ::testing::Test {
protected:
    SimControl sim;

    void SetUp() override {
        ASSERT_TRUE(sim.IsOpen())
            << "the stand-in driver is not loaded (scripts/sim-driver.sh start)";
        ASSERT_TRUE(sim.ResetDefaultPorts());
    }
};
