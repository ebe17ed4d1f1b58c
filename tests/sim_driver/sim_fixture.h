// Every test starts from the driver's default ports as they were at load time.
#pragma once

#include <gtest/gtest.h>

#include "tool_port.h"

inline constexpr const char* kChipA = ZQSIM_DEFAULT_CHIP_A;
inline constexpr const char* kChipB = ZQSIM_DEFAULT_CHIP_B;
inline constexpr const char* kForeign = ZQSIM_DEFAULT_FOREIGN;

class SimDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(control.IsOpen()) << "no control device (error " << GetLastError()
                                      << "): start the driver with scripts/sim-driver.sh start";
        for (const char* port : {kChipA, kChipB, kForeign}) {
            control.Reset(port);
        }
    }

    SimControl control;
};
