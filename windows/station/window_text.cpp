#include "window_text.h"

#include <algorithm>

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
