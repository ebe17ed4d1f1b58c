#include "batch_log.h"

#include <cstdio>

#include "csv_line.h"
#include "utf_text.h"

namespace {

const std::vector<std::string> kHeader = {"time",    "port", "serial",  "vid",   "pid",
                                          "product", "lock", "outcome", "status"};
constexpr size_t kSerialField = 2;
constexpr size_t kOutcomeField = 7;

std::string UtcNow() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    char text[32];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

}  // namespace

BatchLog::~BatchLog() {
    if (file_ != INVALID_HANDLE_VALUE) {
        CloseHandle(file_);
    }
}

std::string BatchLog::Open(const std::string& path) {
    std::u16string widePath = Utf8ToUtf16(path).value_or(u"");
    // Read sharing only: a second batch on the same log would hand out the same serials.
    file_ = CreateFileW(reinterpret_cast<const wchar_t*>(widePath.c_str()),
                        GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
        return "cannot open the log " + path + " (error " + std::to_string(GetLastError()) + ")";
    }
    LARGE_INTEGER size = {};
    GetFileSizeEx(file_, &size);
    if (size.QuadPart == 0) {
        if (!WriteLine(CsvLine(kHeader))) {
            return "cannot write the log " + path;
        }
        return "";
    }
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!ReadFile(file_, text.data(), static_cast<DWORD>(text.size()), &read, nullptr) ||
        read != text.size()) {
        return "cannot read the log " + path;
    }
    std::string problem = ReadHistory(text);
    if (!problem.empty()) {
        return path + ": " + problem;
    }
    // A line cut short by a crash is ended first, so the next line does not run into it.
    if (text.back() != '\n' && !WriteLine("")) {
        return "cannot write the log " + path;
    }
    return "";
}

std::string BatchLog::ReadHistory(const std::string& text) {
    size_t start = 0;
    for (int number = 1; start < text.size(); number++) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::optional<std::vector<std::string>> fields = CsvFields(line);
        if (number == 1) {
            if (!fields || *fields != kHeader) {
                return "not a batch log (its first line is not the log's header)";
            }
            continue;
        }
        if (line.empty()) {
            continue;
        }
        // A line cut short by a crash is not trusted, but the serials before it still count.
        if (!fields || fields->size() != kHeader.size()) {
            continue;
        }
        const std::string& serial = (*fields)[kSerialField];
        const std::string& outcome = (*fields)[kOutcomeField];
        if (outcome == "started" && !serial.empty()) {
            used_.push_back(serial);
        } else if (outcome == "verified" && !serial.empty()) {
            verified_.insert(serial);
        }
    }
    return "";
}

bool BatchLog::WasVerified(const std::string& serial) const {
    return verified_.count(serial) > 0;
}

bool BatchLog::Append(const LogEntry& entry) {
    std::string line =
        CsvLine({UtcNow(), entry.port, entry.serial, entry.vid, entry.pid, entry.product,
                 entry.lock ? "yes" : "no", entry.outcome, entry.status});
    std::lock_guard<std::mutex> hold(lock_);
    if (!WriteLine(line)) {
        return false;
    }
    if (entry.outcome == "verified" && !entry.serial.empty()) {
        verified_.insert(entry.serial);
    }
    return true;
}

bool BatchLog::WriteLine(const std::string& line) {
    std::string bytes = line + "\r\n";
    DWORD written = 0;
    return WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && FlushFileBuffers(file_);
}
