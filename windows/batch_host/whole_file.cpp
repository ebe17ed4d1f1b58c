#include "whole_file.h"

#include "scoped_win.h"
#include "utf_text.h"

namespace {

constexpr LONGLONG kLargestFile = 1LL << 30;

}  // namespace

namespace {

std::wstring WidePath(const std::string& path) {
    std::u16string wide = Utf8ToUtf16(path).value_or(u"");
    return std::wstring(wide.begin(), wide.end());
}

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

bool WriteWholeFile(const std::string& path, const std::string& bytes, bool replace, DWORD& error) {
    win32::AutoCloseHandle file(CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                            replace ? CREATE_ALWAYS : CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return false;
    }
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !FlushFileBuffers(file.Get())) {
        error = GetLastError();
        return false;
    }
    return true;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
