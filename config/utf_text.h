// UTF-8 and UTF-16, strictly: a text that is not valid in its encoding is refused, never
// repaired behind the caller's back. Programs keep their texts in UTF-8 inside and convert only
// at their edges: the command line, the console, the chip, a database.
#pragma once

#include <optional>
#include <string>

// Empty optional when the text is not valid UTF-16 (an unpaired surrogate).
std::optional<std::string> Utf16ToUtf8(const std::u16string& text);
// Empty optional when the text is not valid UTF-8 (a stray or missing continuation byte, an
// overlong form, an encoded surrogate, a value past U+10FFFF).
std::optional<std::u16string> Utf8ToUtf16(const std::string& text);
