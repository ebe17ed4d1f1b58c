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
    std::string time;  // HH:MM:SS, on the same clock as the date
    std::string job;   // the job file's id the record carries; "" without a job
};

// The values of a board's record: the date, the time and the job are the record's own, so the
// label and the record say the same. The date and the time are UTC, or at offsetMinutes east of
// it (a format sequence's --utc-offset), so that the date beside a serial of week 1 is the date
// the serial's week was taken at: 07:00 on 1 January at +08:00 is 1 January, not 31 December.
LabelValues LabelValuesOf(const LedgerEntry& record, int offsetMinutes = 0);
