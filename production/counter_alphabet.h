// The alphabets a serial's counter counts in: decimal, hexadecimal (upper case), base 34 (0-9 and
// A-Z without I and O, which an operator misreads as 1 and 0) and base 36. The check character
// is drawn from the counter's alphabet too.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct CounterAlphabet {
    char field;               // the format's letter for it: N, X, A or Z
    std::string_view name;    // for messages: "decimal", "base 34 (0-9, A-Z without I and O)"
    std::string_view digits;  // in order of value

    uint64_t Base() const { return digits.size(); }
    // The digit's value, or empty for a character outside the alphabet.
    std::optional<uint64_t> ValueOf(char digit) const;
    // value written with exactly width digits, leading zeros; the caller keeps value below
    // Base()^width.
    std::string Write(uint64_t value, size_t width) const;
    // The value of a run of the alphabet's digits; empty when one is not.
    std::optional<uint64_t> Read(std::string_view text) const;
};

// The alphabet a format's counter letter names; nullptr for any other letter.
const CounterAlphabet* AlphabetOfField(char field);

// Base^width, or empty past what 64 bits hold (no counter of an 8-character serial comes near).
std::optional<uint64_t> CounterLimit(const CounterAlphabet& alphabet, size_t width);
