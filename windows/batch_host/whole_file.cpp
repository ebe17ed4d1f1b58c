#include "whole_file.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "scoped_win.h"
#include "wide_text.h"

namespace {

constexpr LONGLONG kLargestFile = 1LL << 30;

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, DWORD& error) {
    win32::AutoCloseHandle file(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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

std::string ReadOptionFile(const std::string& option, const std::string& path) {
    DWORD error = 0;
    std::optional<std::string> text = ReadWholeFile(path, error);
    if (!text) {
        throw CommandFailure{EXIT_BAD_USAGE, option + ": cannot read " + path + " (error " +
                                                 std::to_string(error) + ")"};
    }
    return std::move(*text);
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, bool replace, DWORD& error) {
    win32::AutoCloseHandle file(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr,
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
    return GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
