// A serial's check character: Luhn mod N over the counter's alphabet, so that one mistyped
// character or two neighbours swapped in a serial read off a label are caught.
#pragma once

#include <optional>
#include <string_view>

#include "counter_alphabet.h"

// The character that, appended to text, makes it pass; empty when a character of text is outside
// the alphabet.
std::optional<char> LuhnCheckCharacter(const CounterAlphabet& alphabet, std::string_view text);
