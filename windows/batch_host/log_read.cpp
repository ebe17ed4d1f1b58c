#include "log_read.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "log_csv.h"
#include "whole_file.h"

std::vector<LedgerEntry> ReadLogRecords(const std::string& path) {
    Result<LogContents> contents = DecodeLog(ReadOptionFile("--log", path));
    if (!contents) {
        throw CommandFailure{EXIT_BAD_USAGE, "--log: " + path + ": " + contents.Err().message};
    }
    return std::move(contents->entries);
}
