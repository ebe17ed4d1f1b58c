#include "counter_alphabet.h"

namespace {

constexpr CounterAlphabet kAlphabets[] = {
    {'N', "decimal", "0123456789"},
    {'X', "hexadecimal (0-9, A-F)", "0123456789ABCDEF"},
    {'A', "base 34 (0-9, A-Z without I and O)", "0123456789ABCDEFGHJKLMNPQRSTUVWXYZ"},
    {'Z', "base 36 (0-9, A-Z)", "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
};

}  // namespace

std::optional<uint64_t> CounterAlphabet::ValueOf(char digit) const {
    size_t at = digits.find(digit);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return at;
}

std::string CounterAlphabet::Write(uint64_t value, size_t width) const {
    std::string text(width, digits[0]);
    for (size_t i = width; i > 0 && value > 0; i--) {
        text[i - 1] = digits[value % Base()];
        value /= Base();
    }
    return text;
}

std::optional<uint64_t> CounterAlphabet::Read(std::string_view text) const {
    uint64_t value = 0;
    for (char c : text) {
        std::optional<uint64_t> digit = ValueOf(c);
        if (!digit) {
            return std::nullopt;
        }
        value = value * Base() + *digit;
    }
    return value;
}

const CounterAlphabet* AlphabetOfField(char field) {
    for (const CounterAlphabet& alphabet : kAlphabets) {
        if (alphabet.field == field) {
            return &alphabet;
        }
    }
    return nullptr;
}

std::optional<uint64_t> CounterLimit(const CounterAlphabet& alphabet, size_t width) {
    uint64_t limit = 1;
    for (size_t i = 0; i < width; i++) {
        if (limit > UINT64_MAX / alphabet.Base()) {
            return std::nullopt;
        }
        limit *= alphabet.Base();
    }
    return limit;
}
