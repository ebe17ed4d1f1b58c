// Every test starts from the driver's default ports as they were at load time.
#pragma once

#include <gtest/gtest.h>

#include "tool_port.h"

class SimDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(control.IsOpen()) << "no control device (error " << GetLastError()
                                      << "): start the driver with scripts/sim-driver.sh start";
        control.ResetDefaultPorts();
    }

    SimControl control;
};
