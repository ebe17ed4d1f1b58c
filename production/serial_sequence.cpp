#include "serial_sequence.h"

namespace {

uint64_t Limit(size_t width) {
    uint64_t limit = 1;
    for (size_t i = 0; i < width; i++) {
        limit *= 10;
    }
    return limit;  // the first value that needs one more digit
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of a run of at most kMaxDigits digits: it cannot overflow.
uint64_t DigitsValue(const std::string& text, size_t from) {
    uint64_t value = 0;
    for (size_t i = from; i < text.size(); i++) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<SerialSequence> SerialSequence::From(const std::string& first) {
    size_t digitsAt = first.size();
    while (digitsAt > 0 && IsDigit(first[digitsAt - 1])) {
        digitsAt--;
    }
    size_t width = first.size() - digitsAt;
    if (width == 0 || width > kMaxDigits) {
        return std::nullopt;
    }
    SerialSequence sequence;
    sequence.prefix_ = first.substr(0, digitsAt);
    sequence.width_ = width;
    sequence.value_ = DigitsValue(first, digitsAt);
    sequence.Render();
    return sequence;
}

std::optional<std::string> SerialSequence::At(const std::string& first, uint64_t offset) {
    std::optional<SerialSequence> sequence = From(first);
    if (!sequence || offset >= Limit(sequence->width_) - sequence->value_) {
        return std::nullopt;
    }
    sequence->value_ += offset;
    sequence->Render();
    return sequence->current_;
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
        if (!IsDigit(serial[i])) {
            return std::nullopt;
        }
    }
    return DigitsValue(serial, prefix_.size());
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

uint64_t SerialSequence::EndPosition() const {
    return Limit(width_);
}

void SerialSequence::Render() {
    std::string digits = std::to_string(value_);
    current_ = prefix_ + std::string(width_ - digits.size(), '0') + digits;
}
