// zq61prog report and trace: what a line did, without writing SQL. `report --log FILE` gives a
// station's log per period (hour or day) with the yield, the failures, the labels to reprint and
// the serials without a verified outcome; `ledger report` adds the same for a sequence. `trace`
// gives every record of one serial in time order, from a log or the ledger.
#pragma once

#include <CLI/CLI.hpp>

#include "command_line.h"
#include "line_report.h"
#include "report_json.h"

// The period options `ledger report` shares with report.
void AddPeriodOptions(CLI::App& command, CommandLine& line);
// After parsing, with the command parsed (report, trace or ledger report): the range read,
// --from before --to; trace's one source.
void CheckReportOptions(const CLI::App& command, CommandLine& line);

// The asked period and range, read from the checked options.
ReportPeriod PeriodOf(const CommandLine& line);
ReportRange RangeOf(const CommandLine& line);
// The period report as text lines (after a ledger's own lines) or inside its JSON object, and
// as an HTML page when --html names a file.
void WritePeriodReport(const CommandLine& line, const LineReport& report, ReportScope scope,
                       nlohmann::ordered_json* json);
