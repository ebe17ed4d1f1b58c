#include "utf_text.h"

namespace {

bool IsHigh(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLow(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(char32_t point, std::string& out) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

void AppendUtf16(char32_t point, std::u16string& out) {
    if (point >= 0x10000) {
        out += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
    } else {
        out += static_cast<char16_t>(point);
    }
}

// The code point at i and the bytes it takes; 0 bytes when no valid sequence begins there.
size_t DecodeUtf8(const std::string& text, size_t i, char32_t& point) {
    auto lead = static_cast<unsigned char>(text[i]);
    int more = lead < 0x80                    ? 0
               : lead >= 0xC2 && lead <= 0xDF ? 1
               : lead >= 0xE0 && lead <= 0xEF ? 2
               : lead >= 0xF0 && lead <= 0xF4 ? 3
                                              : -1;
    if (more < 0 || i + static_cast<size_t>(more) >= text.size()) {
        return 0;
    }
    point = more == 0 ? lead : lead & (0x3F >> more);
    for (int k = 1; k <= more; k++) {
        auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        point = (point << 6) | (next & 0x3F);
    }
    // The shortest form only, and no surrogate or value past Unicode's last.
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (point < kLeast[more] || point > 0x10FFFF || IsHigh(point) || IsLow(point)) {
        return 0;
    }
    return static_cast<size_t>(more) + 1;
}

// The code point at i and the units it takes; 0 units for an unpaired surrogate.
size_t DecodeUtf16(const std::u16string& text, size_t i, char32_t& point) {
    char32_t unit = text[i];
    if (IsHigh(unit) && i + 1 < text.size() && IsLow(text[i + 1])) {
        point = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
        return 2;
    }
    point = unit;
    return IsHigh(unit) || IsLow(unit) ? 0 : 1;
}

}  // namespace

std::optional<std::string> Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t point = 0;
        size_t units = DecodeUtf16(text, i, point);
        if (units == 0) {
            return std::nullopt;
        }
        AppendUtf8(point, out);
        i += units;
    }
    return out;
}

std::optional<std::u16string> Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t point = 0;
        size_t bytes = DecodeUtf8(text, i, point);
        if (bytes == 0) {
            return std::nullopt;
        }
        AppendUtf16(point, out);
        i += bytes;
    }
    return out;
}

std::string Utf16ToUtf8Replacing(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t point = 0;
        size_t units = DecodeUtf16(text, i, point);
        AppendUtf8(units == 0 ? U'\uFFFD' : point, out);
        i += units == 0 ? 1 : units;
    }
    return out;
}

std::u16string Utf8ToUtf16Replacing(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t point = 0;
        size_t bytes = DecodeUtf8(text, i, point);
        AppendUtf16(bytes == 0 ? U'\uFFFD' : point, out);
        i += bytes == 0 ? 1 : bytes;
    }
    return out;
}
