// A table of an enumeration's words, as a log or a ledger writes them, looked up both ways. Each
// table of outcome words is one of these, so a word is defined once and read back the same way.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

template <typename E>
struct Named {
    E value;
    const char* word;
};

// The word of value, or otherwise for a value the table lacks.
template <typename E, size_t N>
const char* WordIn(const Named<E> (&table)[N], E value, const char* otherwise) {
    for (const Named<E>& name : table) {
        if (name.value == value) {
            return name.word;
        }
    }
    return otherwise;
}

// The value a word names; none for a word the table lacks.
template <typename E, size_t N>
std::optional<E> ValueIn(const Named<E> (&table)[N], std::string_view word) {
    for (const Named<E>& name : table) {
        if (word == name.word) {
            return name.value;
        }
    }
    return std::nullopt;
}
