#include "log_read.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "log_csv.h"
#include "whole_file.h"

std::vector<LedgerEntry> ReadLogRecords(const std::string& path) {
    DWORD error = 0;
    std::optional<std::string> text = ReadWholeFile(path, error);
    if (!text) {
        throw CommandFailure{EXIT_BAD_USAGE, "--log: cannot read " + path + " (error " +
                                                 std::to_string(error) + ")"};
    }
    Result<LogContents> contents = DecodeLog(*text);
    if (!contents) {
        throw CommandFailure{EXIT_BAD_USAGE, "--log: " + path + ": " + contents.Err().message};
    }
    return std::move(contents->entries);
}
