// What must hold of every frame the tool ever sends, checked from the stand-in driver's frame
// logs after each end-to-end run: the lock is written only with its value and only as the last
// frame of a write, no frame touches an address the tool does not use, a foreign port never
// gets a frame, a locked chip never changes, and no lock goes out unconfirmed.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "sim_control_client.h"

class ChipSafety {
public:
    explicit ChipSafety(SimControl& sim);

    // Snapshots every port's memory and empties its log; call once the test has set up its
    // chips, before the tool sends anything.
    void Begin();
    // The user confirmed a lock in this run.
    void LockConfirmed() { lockConfirmed_ = true; }
    // Every violation since Begin, one line each naming the port and the offending frame;
    // empty when all held.
    std::vector<std::string> Violations();

private:
    SimControl& sim_;
    std::map<std::string, std::vector<uint8_t>> before_;
    bool lockConfirmed_ = false;
};
