// A batch's log file on the station's disk: CSV, UTF-8, appended, each record on disk (flushed)
// before Append returns. Opened without write sharing, so two batches never share one log.
#pragma once

#include <windows.h>

#include <string>

#include "record_store.h"
#include "scoped_win.h"

class LogFile : public RecordStore {
public:
    // Opens the log, creating it (byte order mark and header) when new, and reads what it
    // holds. "" on success, otherwise why not.
    std::string Open(const std::string& path);

    bool Load(std::vector<LedgerEntry>& records, std::string& problem) override;
    bool Append(const LedgerEntry& record) override;

private:
    bool WriteDurably(const std::string& bytes);

    win32::AutoCloseHandle file_;
    std::string path_;
    std::string text_;  // what the log held when it was opened
};
