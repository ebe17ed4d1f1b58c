// UTF-8 and UTF-16. Programs keep their texts in UTF-8 inside and convert only at their edges:
// the command line, the console, the chip, a database. Strictly where a text is ours to refuse,
// replacing where a text from outside (a driver's message, a database's row) must get through.
#pragma once

#include <optional>
#include <string>

// Empty optional when the text is not valid UTF-16 (an unpaired surrogate).
std::optional<std::string> Utf16ToUtf8(const std::u16string& text);
// Empty optional when the text is not valid UTF-8 (a stray or missing continuation byte, an
// overlong form, an encoded surrogate, a value past U+10FFFF).
std::optional<std::u16string> Utf8ToUtf16(const std::string& text);

// The same, never refusing: an unpaired surrogate, or each byte that does not begin a valid
// sequence, becomes U+FFFD.
std::string Utf16ToUtf8Replacing(const std::u16string& text);
std::u16string Utf8ToUtf16Replacing(const std::string& text);
