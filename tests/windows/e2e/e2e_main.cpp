// End-to-end tests of ZQ61CFG.exe: each test starts the real program and drives its dialog
// from this process, against the stand-in driver's simulated chips; every test runs inside the
// chip-safety check. Usage: ui_e2e_tests <path of ZQ61CFG.exe> [GoogleTest options]
#include <gtest/gtest.h>

#include <cstdio>

#include "app_session.h"
#include "e2e_harness.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <ZQ61CFG.exe>\n", argv[0]);
        return 2;
    }
    SetAppPath(argv[1]);
    if (!Sim().IsOpen()) {
        std::fprintf(stderr,
                     "no control device (error %lu): start the stand-in driver with "
                     "scripts/sim-driver.sh start\n",
                     GetLastError());
        return 2;
    }
    // Appended after the result printer, so its verdict at the end of a test is printed with
    // that test.
    testing::UnitTest::GetInstance()->listeners().Append(new ChipCheckListener);
    return RUN_ALL_TESTS();
}
