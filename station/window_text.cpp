#include "window_text.h"

#include <algorithm>

#include "utf_text.h"

std::wstring WideFromUtf8(const std::string& utf8) {
    std::u16string units = Utf8ToUtf16(utf8).value_or(u"?");
    return std::wstring(units.begin(), units.end());
}

std::string Utf8FromWide(const std::wstring& wide) {
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end())).value_or("");
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(length, 0)));
    return text;
}

void SetText(HWND control, const std::string& text) {
    std::wstring wide = WideFromUtf8(text);
    if (WindowText(control) != wide) {
        SetWindowTextW(control, wide.c_str());
    }
}
