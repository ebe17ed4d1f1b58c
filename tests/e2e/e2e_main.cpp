// End-to-end tests of ZQ61CFG.exe: each test starts the real program and drives its dialog
// from this process. Usage: ui_e2e_tests <path of ZQ61CFG.exe> [GoogleTest options]
#include <gtest/gtest.h>

#include <cstdio>

#include "app_session.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <ZQ61CFG.exe>\n", argv[0]);
        return 2;
    }
    SetAppPath(argv[1]);
    return RUN_ALL_TESTS();
}
