#include "offline_text.h"

#include "utc_time.h"

std::string OfflineClock(std::optional<std::chrono::system_clock::time_point> since) {
    // The stamp's time of day: "2026-12-07T15:58:02.123Z" -> "15:58:02".
    const std::string stamp = UtcStamp(since.value_or(std::chrono::system_clock::now()));
    return stamp.size() >= 19 ? stamp.substr(11, 8) : stamp;
}

std::string OfflineSentence(size_t serialsLeft,
                            std::optional<std::chrono::system_clock::time_point> since) {
    const std::string clock = OfflineClock(since);
    if (serialsLeft == 0) {
        return "the ledger does not answer since " + clock +
               " UTC and the lease is used up: no board starts until it answers";
    }
    return "the ledger does not answer: working offline since " + clock + " UTC, " +
           std::to_string(serialsLeft) + (serialsLeft == 1 ? " serial" : " serials") +
           " of the lease left; the records go to the journal until it answers";
}

std::string LeaseRunOutNotice::After(
    size_t serialsLeft, std::optional<std::chrono::system_clock::time_point> offlineSince) {
    if (!offlineSince) {
        said_ = false;
        return "";
    }
    if (serialsLeft > 0 || said_) {
        return "";
    }
    said_ = true;
    return OfflineSentence(0, offlineSince);
}
