// What one label says: the values its template's placeholders are replaced with, all UTF-8.
#pragma once

#include <string>

#include "ledger_entry.h"

struct LabelValues {
    std::string serial;
    std::string vid;  // four upper-case hexadecimal digits
    std::string pid;
    std::string product;
    std::string station;  // "" for a station without a name
    std::string port;
    std::string date;  // YYYY-MM-DD
    std::string time;  // HH:MM:SS
    std::string job;   // the job file's id the record carries; "" without a job
};

// The values of a board's record: the date, the time and the job are the record's own (UTC), so
// the label and the record say the same.
LabelValues LabelValuesOf(const LedgerEntry& record);
