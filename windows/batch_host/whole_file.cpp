#include "whole_file.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "scoped_win.h"
#include "wide_text.h"

namespace {

constexpr LONGLONG kLargestFile = 1LL << 30;

}  // namespace

Result<std::string, DWORD> ReadWholeFile(const std::string& path) {
    win32::AutoCloseHandle file(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return Fail(GetLastError());
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size)) {
        return Fail(GetLastError());
    }
    if (size.QuadPart > kLargestFile) {
        return Fail(static_cast<DWORD>(ERROR_FILE_TOO_LARGE));
    }
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        (!ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr) ||
         read != text.size())) {
        return Fail(GetLastError());
    }
    return text;
}

std::string ReadOptionFile(const std::string& option, const std::string& path) {
    Result<std::string, DWORD> text = ReadWholeFile(path);
    if (!text) {
        throw CommandFailure{EXIT_BAD_USAGE, option + ": cannot read " + path + " (error " +
                                                 std::to_string(text.Err()) + ")"};
    }
    return std::move(*text);
}

Result<void, DWORD> WriteWholeFile(const std::string& path, const std::string& bytes,
                                   bool replace) {
    win32::AutoCloseHandle file(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                            replace ? CREATE_ALWAYS : CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return Fail(GetLastError());
    }
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !FlushFileBuffers(file.Get())) {
        return Fail(GetLastError());
    }
    return {};
}

bool PathExists(const std::string& path) {
    return GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}
