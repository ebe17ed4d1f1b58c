// A batch's log file on the station's disk, as the bytes of its log store: appended, each append
// on disk (flushed) before it returns. Opened without write sharing, so two batches never share
// one log.
#pragma once

#include <windows.h>

#include <string>

#include "log_store.h"
#include "result.h"
#include "scoped_win.h"

class LogFile : public LogBytes {
public:
    // Opens the log, creating it when new.
    Status Open(const std::string& path);

    Result<std::string> ReadAll() override;
    Status Append(const std::string& bytes) override;
    // Written to a file of its own, flushed, and moved over the log (write-through), the log
    // then opened again: a crash leaves the old bytes or the new ones, whole.
    Status Replace(const std::string& bytes) override;

private:
    win32::AutoCloseHandle file_;
    std::string path_;
};
