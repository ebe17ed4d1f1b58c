// A value made safe for a label's field data. A field under ^FH reads its escape character
// followed by two hexadecimal digits as that byte, so every character that the printer would
// take for a command (^ and ~), the escape character itself and every control character is
// written that way; anything else, UTF-8 included, stands as it is (the label is ^CI28).
#pragma once

#include <string>
#include <string_view>

// The field's escape character when ^FH names none.
inline constexpr char kDefaultFieldEscape = '_';

std::string EscapeFieldData(std::string_view value, char escape);
