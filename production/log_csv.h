// A batch's log as CSV (RFC 4180, UTF-8): what the writer writes, the reader reads back exactly,
// quoted commas, quotes and line breaks included. A new log starts with a UTF-8 byte order mark,
// so that a spreadsheet shows the Chinese status texts; logs without one read the same.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ledger_entry.h"
#include "result.h"

// What a new log starts with: the byte order mark, the header and its line end.
std::string LogStart();

// One record as a log line, with its line end. The station is not a column of the log.
std::string EncodeLogLine(const LedgerEntry& entry);

// A line's shared records as CSV, for a quality engineer's spreadsheet or script: the log's
// columns and the station, one line each; no byte order mark, since they go to a pipe as often
// as to a file.
std::string ExportStart();
std::string EncodeExportLine(const LedgerEntry& entry);

// What ends a last line a crash cut short, before the next line is appended: it closes an open
// quote and gives the line more fields than a record has, so every later read ignores it.
// tornTail is the text after the last complete line.
std::string TornLineEnd(const std::string& tornTail);

struct LogContents {
    std::vector<LedgerEntry> entries;  // every complete record, in order
    std::string tornTail;              // the last line when a crash cut it short, else ""
};

// Reads a whole log. Fails when the text is not a batch log (its first line is not the log's
// header). Records with another number of fields or an unknown
// outcome are not trusted and left out; the records around them still count.
Result<LogContents> DecodeLog(const std::string& text);
