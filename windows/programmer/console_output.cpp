#include "console_output.h"

#include <windows.h>

#include <mutex>

#include "utf_text.h"

namespace {

std::mutex outputMutex;

}  // namespace

void WriteText(Stream stream, const std::string& utf8) {
    std::lock_guard<std::mutex> hold(outputMutex);
    HANDLE handle = GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        std::u16string wide = Utf8ToUtf16(utf8).value_or(u"?");
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    DWORD written = 0;
    WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void WriteLine(Stream stream, const std::string& utf8) {
    WriteText(stream, utf8 + "\n");
}
