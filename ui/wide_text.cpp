#include "wide_text.h"

#include <windows.h>

#include <cwchar>

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

std::wstring HexId(uint16_t id) {
    wchar_t text[8];
    std::swprintf(text, 8, L"0x%04X", static_cast<unsigned>(id));
    return text;
}
