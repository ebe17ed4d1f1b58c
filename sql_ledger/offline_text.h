// What a leasing station says while its ledger does not answer: the console's line and the
// station's banner, one sentence.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

// The time of day, UTC, to the second: "15:58:02" (now when empty).
std::string OfflineClock(std::optional<std::chrono::system_clock::time_point> since);

// "the ledger does not answer: working offline since 15:58:02 UTC, 37 serials of the lease
// left; the records go to the journal until it answers"
std::string OfflineSentence(size_t serialsLeft,
                            std::optional<std::chrono::system_clock::time_point> since);

// The console's word that a lease ran out while the ledger does not answer: said after the board
// that took the lease's last serial, once an outage, not again for each board that waits.
class LeaseRunOutNotice {
public:
    // After a board: the sentence to say now ("... and the lease is used up: no board starts
    // until it answers"), or "" while serials are left, while the ledger answers (which ends the
    // outage), or when this outage's has been said.
    std::string After(size_t serialsLeft,
                      std::optional<std::chrono::system_clock::time_point> offlineSince);

private:
    bool said_ = false;
};
