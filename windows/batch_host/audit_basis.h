// What an audit compares a chip with, opened before any port is: a job file (and its list of
// serials), a station's log, or a line's sequence in the shared ledger, whose records an audit
// reads afresh for every chip and to which it adds its own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audit_report.h"
#include "config_record.h"
#include "job.h"
#include "ledger_entry.h"
#include "sql_ledger.h"

class AuditBasis {
public:
    // Each throws a CommandFailure: EXIT_BAD_USAGE for a file that cannot be read or used,
    // EXIT_RECORD_FAILED for a ledger that cannot be reached or holds no such sequence.
    static AuditBasis FromJob(const std::string& path);
    static AuditBasis FromLog(const std::string& path);
    static AuditBasis FromSequence(const std::string& connection, const std::string& sequence,
                                   const std::string& station);

    // The chip against the job, or against the records as they stand now; an error when the
    // records cannot be read.
    Result<AuditReport> Audit(const ConfigRecord& chip);
    // Whether an audit leaves a record: only against a sequence (a log is a station's own).
    bool LeavesRecord() const { return ledger_ != nullptr; }
    // The audit's record, with the station's name; an error when the ledger did not take it.
    Status Record(const LedgerEntry& entry);

    // "job 3F09A1C2 (bench.json)", "log shift.csv", "sequence line1"
    const std::string& Against() const { return against_; }
    // The job's id with a job, else "".
    const std::string& JobId() const { return job_.id; }
    const std::string& Station() const { return station_; }

private:
    std::string against_;
    std::string station_;
    Job job_;
    bool hasJob_ = false;
    std::vector<std::string> list_;
    std::vector<LedgerEntry> log_;
    std::string connection_;  // holds a password: never shown
    std::string sequence_;
    std::unique_ptr<SqlLedger> ledger_;
};
