#include "prog_harness.h"

#include <windows.h>

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
    }
    sim.ResetDefaultPorts();
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
