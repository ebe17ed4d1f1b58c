#include "ansi_wide_text.h"

#include <windows.h>

#include "record_text.h"

std::wstring WidenAnsi(const char* text) {
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (units <= 1) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), units);
    wide.resize(static_cast<size_t>(units - 1));
    return wide;
}

std::wstring WideHexId(uint16_t id) {
    std::string digits = HexId(id);
    return L"0x" + std::wstring(digits.begin(), digits.end());
}
