// The programs keep their texts in UTF-8, as the cores do, and meet Windows' wide-character calls
// at their edges: these two conversions are those edges, for every program.
#pragma once

#include <string>

#include "utf_text.h"

// A UTF-8 text as UTF-16; an ill-formed byte becomes U+FFFD, so a path or a product with a stray
// byte still shows where it is rather than vanishing.
inline std::wstring WideFromUtf8(const std::string& utf8) {
    std::u16string units = Utf8ToUtf16Replacing(utf8);
    return std::wstring(units.begin(), units.end());
}

// UTF-16 from a window or the system as UTF-8; "" when it is not well-formed.
inline std::string Utf8FromWide(const std::wstring& wide) {
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end())).value_or("");
}
