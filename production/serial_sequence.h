// Sequential serial numbers for a batch: the trailing run of decimal digits counts up with its
// width kept (ZQ000009 -> ZQ000010). When the digits run out there is no next serial: never a
// wider one, never a wrap to zeros. The one copy of these rules: a first serial is valid exactly
// when From accepts it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class SerialSequence {
public:
    // The longest digit run counted: eighteen digits always fit the counter.
    static constexpr size_t kMaxDigits = 18;

    // Empty when the text does not end in 1 to kMaxDigits decimal digits.
    static std::optional<SerialSequence> From(const std::string& first);

    // The serial offset places after first (offset 0: first itself); empty when first is no
    // sequence's or the digits run out before it. A shared ledger keeps only the offset.
    static std::optional<std::string> At(const std::string& first, uint64_t offset);

    const std::string& Current() const { return current_; }
    // Moves to the next serial; false (and unchanged) when the digits have run out.
    bool Advance();
    // The position of a serial of the same sequence (same prefix, same number of digits), or
    // empty for any other text.
    std::optional<uint64_t> PositionOf(const std::string& serial) const;
    // Moves to the serial after the given position, when that lies ahead; false when no serial
    // follows it.
    bool SkipPast(uint64_t position);
    // The position past the last serial the digits can hold.
    uint64_t EndPosition() const;

private:
    std::string prefix_;
    size_t width_ = 0;
    uint64_t value_ = 0;
    std::string current_;
    void Render();
};
