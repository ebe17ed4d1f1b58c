// What a supervisor asks a line's record, answered by its database over the records' timestamps
// and the views: the report per station and period (grouped by the server, so that a million
// records report in a second or two), and one serial's whole story.
#pragma once

#include <string>
#include <vector>

#include "ledger_entry.h"
#include "ledger_operations.h"
#include "line_report.h"

// The same figures ReportOfRecords gives for the sequence's records, in its order. Without
// unverified the serials never verified are left to the caller (Report has them for the whole
// sequence), which saves a pass over every record.
Result<LineReport, LedgerError> PeriodReport(const std::string& connection,
                                             const std::string& sequence, ReportPeriod period,
                                             const ReportRange& range, bool unverified = true);

// What `ledger report` prints: the sequence's totals and its report per period, read in one
// session. Over the whole record (the range open) the totals' records per station are added up
// from the periods, one pass over the records for both, and the serials never verified are the
// totals'.
struct SequenceReport {
    LedgerReport totals;
    LineReport periods;
};
Result<SequenceReport, LedgerError> ReportSequence(const std::string& connection,
                                                   const std::string& sequence, ReportPeriod period,
                                                   const ReportRange& range);

// Every record of the serial in the sequence, in time order (the order they were made when two
// share a millisecond), with its station; empty when the serial is not on record.
Result<std::vector<LedgerEntry>, LedgerError> TraceSerial(const std::string& connection,
                                                          const std::string& sequence,
                                                          const std::string& serial);
