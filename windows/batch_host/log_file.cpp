#include "log_file.h"

#include "wide_text.h"

namespace {

// A log this large is not a shift's: refused rather than read into memory.
constexpr LONGLONG kLargestLog = 1LL << 30;

}  // namespace

Status LogFile::Open(const std::string& path) {
    path_ = path;
    // Read sharing only: a second batch on the same log would hand out the same serials.
    file_.Reset(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | FILE_APPEND_DATA,
                            FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
        return Fail("cannot open the log " + path + " (error " + std::to_string(GetLastError()) +
                    ")");
    }
    return {};
}

Result<std::string> LogFile::ReadAll() {
    auto refused = [this] {
        return Fail("cannot read " + path_ + " (error " + std::to_string(GetLastError()) + ")");
    };
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file_.Get(), &size)) {
        return refused();
    }
    if (size.QuadPart > kLargestLog) {
        return Fail(path_ + " is larger than a log grows");
    }
    // Reads from the start; appends still go to the end, whatever the file pointer says.
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file_.Get(), start, nullptr, FILE_BEGIN)) {
        return refused();
    }
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        (!ReadFile(file_.Get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr) ||
         read != text.size())) {
        return refused();
    }
    return text;
}

Status LogFile::Replace(const std::string& bytes) {
    const std::string fresh = path_ + ".new";
    std::optional<std::u16string> widePath = Utf8ToUtf16(path_);
    std::optional<std::u16string> wideFresh = Utf8ToUtf16(fresh);
    if (!widePath || !wideFresh) {
        return Fail("cannot name " + fresh + ": not UTF-8");
    }
    const auto* freshName = reinterpret_cast<const wchar_t*>(wideFresh->c_str());
    {
        win32::AutoCloseHandle file(CreateFileW(freshName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file ||
            !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) ||
            written != bytes.size() || !FlushFileBuffers(file.Get())) {
            const DWORD error = GetLastError();
            file.Reset();
            DeleteFileW(freshName);
            return Fail("cannot write " + fresh + " (error " + std::to_string(error) + ")");
        }
    }
    // The log is opened without delete sharing: closed for the move, and opened again at once.
    file_.Reset();
    const bool moved = MoveFileExW(freshName, reinterpret_cast<const wchar_t*>(widePath->c_str()),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    const DWORD moveError = moved ? 0 : GetLastError();
    if (!moved) {
        DeleteFileW(freshName);
    }
    if (Status reopened = Open(path_); !reopened) {
        return reopened;
    }
    if (!moved) {
        return Fail("cannot move " + fresh + " over " + path_ + " (error " +
                    std::to_string(moveError) + ")");
    }
    return {};
}

Status LogFile::Append(const std::string& bytes) {
    DWORD written = 0;
    if (!WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                   nullptr) ||
        written != bytes.size() || !FlushFileBuffers(file_.Get())) {
        return Fail("cannot write " + path_ + " (error " + std::to_string(GetLastError()) + ")");
    }
    return {};
}
