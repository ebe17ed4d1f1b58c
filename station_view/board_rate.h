// Boards per hour for the station's counter: the boards that ended in the last hour, over the
// time since the first board of the batch started, at most an hour. The time is never taken as
// shorter than a minute, so the first boards show a figure that is low rather than absurd.
#pragma once

#include <deque>
#include <optional>

class BoardRate {
public:
    // Times in seconds on any steady clock.
    void BoardStarted(double now);
    void BoardEnded(double now);
    // None before the first board has ended.
    std::optional<double> PerHour(double now);

private:
    std::optional<double> firstStart_;
    bool anyEnded_ = false;
    std::deque<double> ends_;  // within the last hour
};
