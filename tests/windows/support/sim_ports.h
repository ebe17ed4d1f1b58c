// The stand-in driver's ports as it makes them when it loads, for every test that talks to them.
#pragma once

#include "sim_control.h"

inline constexpr const char* kChipA = ZQSIM_DEFAULT_CHIP_A;     // COM21, signature A
inline constexpr const char* kChipB = ZQSIM_DEFAULT_CHIP_B;     // COM22, signature B
inline constexpr const char* kForeign = ZQSIM_DEFAULT_FOREIGN;  // COM23, another driver's port
inline constexpr const char* kDefaultPorts[] = {kChipA, kChipB, kForeign};
