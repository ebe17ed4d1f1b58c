#include "windows_error_text.h"

#include "scoped_win.h"
#include "utf_text.h"

std::string WindowsErrorText(DWORD code) {
    win32::ScopedLocal<wchar_t*> text;
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    text.Reset(buffer);
    // The system's text ends with a line break (and often a full stop): a reason goes on a line.
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' ||
                          buffer[length - 1] == L' ' || buffer[length - 1] == L'.')) {
        length--;
    }
    if (length == 0) {
        return "error " + std::to_string(code);
    }
    return Utf16ToUtf8Replacing(std::u16string(reinterpret_cast<const char16_t*>(buffer), length));
}
