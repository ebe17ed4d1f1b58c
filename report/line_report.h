// What a line did, from its records: per station and hour (or day), the records per outcome and
// the yield; the failures by their status text; the labels still to reprint; the serials used
// without a verified outcome. The same figures whether the records come from a station's log
// (computed here) or from the ledger (computed by its database, then put in the same order).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ledger_entry.h"
#include "report_time.h"

struct PeriodCounts {
    std::string station;
    std::string period;  // its start, "2026-12-07T11:00Z"
    std::map<BatchOutcome, uint64_t> records;
};

struct FailureCount {
    std::string status;
    uint64_t count = 0;
};

struct LineReport {
    std::vector<PeriodCounts> periods;    // by period, then station
    std::vector<FailureCount> failures;   // the most frequent first
    std::vector<std::string> reprint;     // serials whose last label record is label-failed
    std::vector<std::string> unverified;  // serials started in the range and never verified
};

// verified over started, from 0 to 1; none when nothing started.
std::optional<double> YieldOf(const std::map<BatchOutcome, uint64_t>& records);

// Only the records in the range count; a record whose time is no time (a line edited by hand)
// counts only when the range is open, and never in a period. station names every record
// without one (a station's log). A serial is unverified when the range holds its `started`
// and no record at all says it verified.
LineReport ReportOfRecords(const std::vector<LedgerEntry>& records, ReportPeriod period,
                           const ReportRange& range, const std::string& station);

// The report's canonical order: periods by period and station (bytes), failures by count then
// text, serials by bytes.
void SortReport(LineReport& report);
