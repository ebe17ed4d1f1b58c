#include "counting_scheme.h"

CountingScheme::CountingScheme(SerialSequence first)
    : serials_(std::move(first)), firstPosition_(*serials_.PositionOf(serials_.Current())) {}

void CountingScheme::MarkUsed(const std::string& serial) {
    std::optional<uint64_t> position = serials_.PositionOf(serial);
    if (!position || *position < firstPosition_ || (highest_ && *position <= *highest_)) {
        return;
    }
    highest_ = position;
    resumedAfter_ = serial;
    left_ = serials_.SkipPast(*position);
}

SchemeNext CountingScheme::Next() {
    SchemeNext next;
    if (!left_) {
        next.message = "the serials have run out: " + resumedAfter_ +
                       " is used and no serial of this sequence is left";
        return next;
    }
    next.kind = SchemeNext::Kind::Serial;
    next.serial = serials_.Current();
    return next;
}

std::string CountingScheme::Capacity() const {
    return std::to_string(serials_.EndPosition() - firstPosition_) + " in all";
}
