// End-to-end tests of zq61station.exe against the stand-in driver's simulated chips: the real
// window driven from this process. Usage:
//   station_e2e_tests <zq61station.exe> <zq61prog.exe> [GoogleTest options]
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "prog_run.h"
#include "station_harness.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <zq61station.exe> <zq61prog.exe>\n", argv[0]);
        return 2;
    }
    SetStationPath(argv[1]);
    SetProgPath(argv[2]);
    if (!Sim().IsOpen()) {
        std::fprintf(stderr, "no control device (error %lu): scripts/sim-driver.sh start\n",
                     GetLastError());
        return 2;
    }
    return RUN_ALL_TESTS();
}
