// Test runner. With --wait-read PORT it is instead the child of the killed-process test: it
// opens the port and blocks in a read that has no time-out. With --wait-write PORT it blocks in
// a write instead, on a port the parent slowed down.
#include <gtest/gtest.h>

#include <cstring>

#include "tool_port.h"

namespace {

int WaitRead(const char* name) {
    ToolPort port(name);
    if (!port.Ready() || !port.SetReadTimeouts(0, 0, 0)) {
        return 2;
    }
    uint8_t byte = 0;
    port.ReadByte(&byte);
    return 3;  // reached only if the read ended by itself
}

int WaitWrite(const char* name) {
    ToolPort port(name);
    if (!port.Ready()) {
        return 2;
    }
    port.WriteFrame(0xA0, 0x01, 0x5A);
    return 3;  // reached only if the write ended by itself
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--wait-read") == 0) {
        return WaitRead(argv[2]);
    }
    if (argc == 3 && std::strcmp(argv[1], "--wait-write") == 0) {
        return WaitWrite(argv[2]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
