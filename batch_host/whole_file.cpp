#include "whole_file.h"

#include "scoped_win.h"
#include "utf_text.h"

namespace {

constexpr LONGLONG kLargestFile = 1LL << 30;

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, DWORD& error) {
    std::optional<std::u16string> widePath = Utf8ToUtf16(path);
    win32::AutoCloseHandle file(
        CreateFileW(reinterpret_cast<const wchar_t*>(widePath.value_or(u"").c_str()), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return std::nullopt;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLargestFile) {
        error = size.QuadPart > kLargestFile ? ERROR_FILE_TOO_LARGE : GetLastError();
        return std::nullopt;
    }
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        (!ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr) ||
         read != text.size())) {
        error = GetLastError();
        return std::nullopt;
    }
    return text;
}
