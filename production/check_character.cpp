#include "check_character.h"

std::optional<char> LuhnCheckCharacter(const CounterAlphabet& alphabet, std::string_view text) {
    const uint64_t base = alphabet.Base();
    uint64_t sum = 0;
    // From the right, the character next to the check character is doubled first.
    bool doubled = true;
    for (size_t i = text.size(); i > 0; i--) {
        std::optional<uint64_t> value = alphabet.ValueOf(text[i - 1]);
        if (!value) {
            return std::nullopt;
        }
        uint64_t addend = doubled ? *value * 2 : *value;
        sum += addend / base + addend % base;
        doubled = !doubled;
    }
    return alphabet.digits[(base - sum % base) % base];
}
