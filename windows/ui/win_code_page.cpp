#include "win_code_page.h"

int WinCodePage::ToWide(const char* text, int length, uint16_t* units, int unitCapacity) {
    return MultiByteToWideChar(codePage, 0, text, length, reinterpret_cast<wchar_t*>(units),
                               unitCapacity);
}

int WinCodePage::ToAnsi(const uint16_t* units, int count, char* bytes, int byteCapacity) {
    return WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t*>(units), count, bytes,
                               byteCapacity, nullptr, nullptr);
}
