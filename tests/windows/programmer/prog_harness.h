// What every test of the real zq61prog.exe shares: the stand-in driver's control device, the
// chip-safety check around each test, and a chip prepared with an identity.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "chip_map.h"
#include "chip_safety.h"
#include "prog_run.h"
#include "sim_control_client.h"
#include "sim_ports.h"

SimControl& Sim();

// Resets the default ports before each test; after it, fails the test with every frame that
// broke a chip-safety rule and with any port left open.
class ProgTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Call after preparing chips, before the program runs: from here on every frame is checked.
    void ChipsReady() { safety.Begin(); }
    // A run that was told to lock.
    void LockConfirmed() { safety.LockConfirmed(); }
    // Standard output's single JSON object.
    static nlohmann::json Json(const ProgResult& result);
    // The ports' opens so far, to see that a refusal opened nothing.
    unsigned Opens();
    // The port's logged frames of one kind (ZQSIM_LOG_...).
    size_t Frames(const char* port, unsigned kind);

    SimControl& sim = Sim();
    ChipSafety safety{Sim()};
};

// The chip's memory with an identity written as the tool writes it, over a blank (0xFF) chip.
inline std::vector<uint8_t> IdentityImage(uint16_t vendorId, uint16_t productId,
                                          const std::string& serial, const std::u16string& product,
                                          bool locked = false) {
    return ChipImage{vendorId, productId, serial, product, true, locked}.Bytes();
}
