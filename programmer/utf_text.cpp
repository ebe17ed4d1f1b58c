#include "utf_text.h"

#include <windows.h>

std::optional<std::string> Utf16ToUtf8(const std::u16string& text) {
    if (text.empty()) {
        return std::string();
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    int length = static_cast<int>(text.size());
    // Strict: an unpaired surrogate is refused, never replaced behind the caller's back.
    int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, length, nullptr, 0, nullptr,
                                   nullptr);
    if (size <= 0) {
        return std::nullopt;
    }
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, length, out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::optional<std::u16string> Utf8ToUtf16(const std::string& text) {
    if (text.empty()) {
        return std::u16string();
    }
    int length = static_cast<int>(text.size());
    int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (size <= 0) {
        return std::nullopt;
    }
    std::u16string out(static_cast<size_t>(size), u'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length,
                        reinterpret_cast<wchar_t*>(out.data()), size);
    return out;
}
