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

std::optional<std::string> LogFile::ReadAll() {
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file_.Get(), &size) || size.QuadPart > kLargestLog) {
        return std::nullopt;
    }
    // Reads from the start; appends still go to the end, whatever the file pointer says.
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(file_.Get(), start, nullptr, FILE_BEGIN)) {
        return std::nullopt;
    }
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() &&
        (!ReadFile(file_.Get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr) ||
         read != text.size())) {
        return std::nullopt;
    }
    return text;
}

bool LogFile::Append(const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size() && FlushFileBuffers(file_.Get());
}
