#include "serial_sequence.h"

namespace {

uint64_t Limit(size_t width) {
    uint64_t limit = 1;
    for (size_t i = 0; i < width; i++) {
        limit *= 10;
    }
    return limit;  // the first value that needs one more digit
}

}  // namespace

std::optional<SerialSequence> SerialSequence::From(const std::string& first) {
    size_t digitsAt = first.size();
    while (digitsAt > 0 && first[digitsAt - 1] >= '0' && first[digitsAt - 1] <= '9') {
        digitsAt--;
    }
    if (digitsAt == first.size()) {
        return std::nullopt;
    }
    SerialSequence sequence;
    sequence.prefix_ = first.substr(0, digitsAt);
    sequence.width_ = first.size() - digitsAt;
    sequence.value_ = std::stoull(first.substr(digitsAt));
    sequence.Render();
    return sequence;
}

bool SerialSequence::Advance() {
    if (value_ + 1 >= Limit(width_)) {
        return false;
    }
    value_++;
    Render();
    return true;
}

std::optional<uint64_t> SerialSequence::PositionOf(const std::string& serial) const {
    if (serial.size() != prefix_.size() + width_ ||
        serial.compare(0, prefix_.size(), prefix_) != 0) {
        return std::nullopt;
    }
    for (size_t i = prefix_.size(); i < serial.size(); i++) {
        if (serial[i] < '0' || serial[i] > '9') {
            return std::nullopt;
        }
    }
    return std::stoull(serial.substr(prefix_.size()));
}

bool SerialSequence::SkipPast(uint64_t position) {
    if (position < value_) {
        return true;
    }
    if (position + 1 >= Limit(width_)) {
        return false;
    }
    value_ = position + 1;
    Render();
    return true;
}

void SerialSequence::Render() {
    std::string digits = std::to_string(value_);
    current_ = prefix_ + std::string(width_ - digits.size(), '0') + digits;
}
