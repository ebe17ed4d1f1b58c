#include "log_file.h"

#include "log_csv.h"
#include "utf_text.h"

namespace {

// A log this large is not a shift's: refused rather than read into memory.
constexpr LONGLONG kLargestLog = 1LL << 30;

}  // namespace

std::string LogFile::Open(const std::string& path) {
    path_ = path;
    std::optional<std::u16string> widePath = Utf8ToUtf16(path);
    // Read sharing only: a second batch on the same log would hand out the same serials.
    file_.Reset(CreateFileW(reinterpret_cast<const wchar_t*>(widePath.value_or(u"").c_str()),
                            GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
        return "cannot open the log " + path + " (error " + std::to_string(GetLastError()) + ")";
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file_.Get(), &size) || size.QuadPart > kLargestLog) {
        return "cannot read the log " + path;
    }
    if (size.QuadPart == 0) {
        text_ = LogStart();
        return WriteDurably(text_) ? "" : "cannot write the log " + path;
    }
    text_.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file_.Get(), text_.data(), static_cast<DWORD>(text_.size()), &read, nullptr) ||
        read != text_.size()) {
        return "cannot read the log " + path;
    }
    return "";
}

bool LogFile::Load(std::vector<LedgerEntry>& records, std::string& problem) {
    std::optional<LogContents> contents = DecodeLog(text_, problem);
    if (!contents) {
        problem = "the log " + path_ + ": " + problem;
        return false;
    }
    // A line cut short by a crash is ended first, so the next line does not run into it.
    if (!contents->tornTail.empty() && !WriteDurably(TornLineEnd(contents->tornTail))) {
        problem = "cannot write the log " + path_;
        return false;
    }
    records = std::move(contents->entries);
    return true;
}

bool LogFile::Append(const LedgerEntry& record) {
    return WriteDurably(EncodeLogLine(record));
}

bool LogFile::WriteDurably(const std::string& bytes) {
    DWORD written = 0;
    return WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size() && FlushFileBuffers(file_.Get());
}
