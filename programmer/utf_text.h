// UTF-8 and UTF-16, through the system's converters. The console programmer keeps every text in
// UTF-8 inside and converts only at its edges: the command line, the console, the chip.
#pragma once

#include <optional>
#include <string>

// Empty optional when the text is not valid UTF-16 (an unpaired surrogate).
std::optional<std::string> Utf16ToUtf8(const std::u16string& text);
// Empty optional when the text is not valid UTF-8.
std::optional<std::u16string> Utf8ToUtf16(const std::string& text);
