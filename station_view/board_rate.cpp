#include "board_rate.h"

#include <algorithm>

namespace {

constexpr double kWindowSeconds = 3600;
constexpr double kShortestSpan = 60;

}  // namespace

void BoardRate::BoardStarted(double now) {
    if (!firstStart_) {
        firstStart_ = now;
    }
}

void BoardRate::BoardEnded(double now) {
    BoardStarted(now);
    anyEnded_ = true;
    ends_.push_back(now);
}

std::optional<double> BoardRate::PerHour(double now) {
    while (!ends_.empty() && ends_.front() < now - kWindowSeconds) {
        ends_.pop_front();
    }
    if (!anyEnded_) {
        return std::nullopt;
    }
    double span = std::clamp(now - *firstStart_, kShortestSpan, kWindowSeconds);
    return ends_.size() * 3600.0 / span;
}
