#include "prog_harness.h"

#include <windows.h>

namespace {

const char* const kDefaultPorts[] = {kChipA, kChipB, kForeign};

}  // namespace

SimControl& Sim() {
    static SimControl control;
    return control;
}

void ProgTest::SetUp() {
    for (const char* port : kDefaultPorts) {
        ASSERT_TRUE(sim.Reset(port))
            << "cannot reset " << port << " (error " << GetLastError() << ")";
    }
    safety.Begin();
}

void ProgTest::TearDown() {
    for (const std::string& violation : safety.Violations()) {
        ADD_FAILURE() << "chip safety: " << violation;
    }
    // The program has exited: a port still open means a handle outlived it.
    for (const char* port : kDefaultPorts) {
        EXPECT_EQ(sim.State(port).openHandles, 0u) << port << " is still open";
        sim.Reset(port);
    }
}

nlohmann::json ProgTest::Json(const ProgResult& result) {
    nlohmann::json parsed = nlohmann::json::parse(result.out, nullptr, false);
    EXPECT_FALSE(parsed.is_discarded()) << "not one JSON object: " << result.out;
    return parsed;
}

unsigned ProgTest::Opens() {
    unsigned opens = 0;
    for (const char* port : kDefaultPorts) {
        opens += sim.State(port).opensTotal;
    }
    return opens;
}

size_t ProgTest::Frames(const char* port, unsigned kind) {
    size_t count = 0;
    for (const ZqSimLogEntry& entry : sim.Log(port)) {
        count += entry.kind == kind;
    }
    return count;
}

std::vector<uint8_t> IdentityImage(uint16_t vendorId, uint16_t productId, const std::string& serial,
                                   const std::u16string& product, bool locked) {
    std::vector<uint8_t> memory(ZQSIM_MEMORY_SIZE, 0xFF);
    memory[0x00] = 0x5B;
    if (locked) {
        memory[0x03] = 0x57;
    }
    memory[0x04] = vendorId & 0xFF;
    memory[0x05] = vendorId >> 8;
    memory[0x06] = productId & 0xFF;
    memory[0x07] = productId >> 8;
    for (int i = 0; i < 8; i++) {
        memory[0x10 + i] = i < static_cast<int>(serial.size()) ? serial[i] : 0;
    }
    memory[0x1A] = static_cast<uint8_t>((product.size() + 1) * 2);
    memory[0x1B] = 3;
    for (int i = 0; i < 18; i++) {
        char16_t unit = i < static_cast<int>(product.size()) ? product[i] : 0;
        memory[0x1C + 2 * i] = unit & 0xFF;
        memory[0x1D + 2 * i] = unit >> 8;
    }
    return memory;
}
