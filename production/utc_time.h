// The time a record is stamped with.
#pragma once

#include <chrono>
#include <string>

// UTC, ISO 8601 with milliseconds: "2026-12-07T15:31:44.823Z".
std::string UtcStamp(std::chrono::system_clock::time_point when);
std::string UtcNow();
