// A batch's log: CSV, UTF-8, appended, one line per event, each line on disk (flushed) before
// the call returns. Its `started` lines are what keeps a serial from being given twice, across
// crashes and restarts. Opened without write sharing, so two batches never share one log.
#pragma once

#include <windows.h>

#include <mutex>
#include <set>
#include <string>
#include <vector>

struct LogEntry {
    std::string port;
    std::string serial;  // "" when no serial was used
    std::string vid;
    std::string pid;
    std::string product;
    bool lock = false;
    std::string outcome;  // started, verified, unverified, locked, failed, read-failed, ...
    std::string status;
};

class BatchLog {
public:
    BatchLog() = default;
    ~BatchLog();
    BatchLog(const BatchLog&) = delete;
    BatchLog& operator=(const BatchLog&) = delete;

    // Opens (creating it with a header when new) and reads what the log holds. "" on success,
    // otherwise why not.
    std::string Open(const std::string& path);

    // Every serial the log has used (`started`), and those it records as verified.
    const std::vector<std::string>& UsedSerials() const { return used_; }
    bool WasVerified(const std::string& serial) const;

    // Appends one line, stamped with the time (UTC), and flushes it to disk; false when it
    // could not be written.
    bool Append(const LogEntry& entry);

private:
    bool WriteLine(const std::string& line);
    std::string ReadHistory(const std::string& text);

    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::mutex lock_;
    std::vector<std::string> used_;
    std::set<std::string> verified_;
};
