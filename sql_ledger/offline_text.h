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
