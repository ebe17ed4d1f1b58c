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

    std::optional<std::string> ReadAll() override;
    bool Append(const std::string& bytes) override;

private:
    win32::AutoCloseHandle file_;
    std::string path_;
};
