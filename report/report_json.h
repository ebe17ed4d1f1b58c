// A line's report as one JSON object: the periods (station, period, one count per outcome word
// as the log spells it, yield), the labels to reprint, the serials used without a verified
// outcome, the failures by status text; and what it covers.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "line_report.h"

// What a report covers, as its reader is told.
struct ReportScope {
    std::string source;  // "the log shift.csv", "sequence line1"
    ReportPeriod period = ReportPeriod::Hour;
    std::string from = "";  // as asked, "" when open
    std::string to = "";
    std::string made = "";  // when the report was made, UTC
};

const char* PeriodWord(ReportPeriod period);  // "hour", "day"

// One period's counts per outcome word, all of them, then its yield (null when nothing started).
nlohmann::ordered_json PeriodJson(const PeriodCounts& period);
// periods, reprint, unverified_serials, failures, then by, from and to.
nlohmann::ordered_json ReportJson(const LineReport& report, const ReportScope& scope);
