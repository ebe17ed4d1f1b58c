// End-to-end tests of zq61prog.exe against the stand-in driver's simulated chips; every test
// runs inside the chip-safety check. Usage: programmer_e2e_tests <zq61prog.exe> [GoogleTest
// options]
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "prog_harness.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <zq61prog.exe>\n", argv[0]);
        return 2;
    }
    SetProgPath(argv[1]);
    if (!Sim().IsOpen()) {
        std::fprintf(stderr, "no control device (error %lu): scripts/sim-driver.sh start\n",
                     GetLastError());
        return 2;
    }
    return RUN_ALL_TESTS();
}
