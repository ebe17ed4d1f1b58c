// An audit as people and records read it: a line per field, a one-line headline, and the record an
// audit against a line's sequence leaves, all made from the report so every shell says the same.
#pragma once

#include <string>
#include <vector>

#include "audit_outcome.h"
#include "audit_report.h"
#include "config_record.h"
#include "ledger_entry.h"

// Only a report whose every field matches is audited: a field that could not be checked is no
// proof that the board is right.
AuditOutcome OutcomeOf(const AuditReport& report);

// "matches", "DIFFERS" or "unchecked", as the lines show a field's verdict.
const char* VerdictWord(FieldVerdict verdict);

// "  product  DIFFERS  expected \"Bench Board\", found \"Bench Bard\"", one per field; a note that
// says more than the two values (a record's failure, where and when) follows them.
std::vector<std::string> AuditLines(const AuditReport& report);

// "matches ZQ000123, verified at st-a 2026-12-08T09:14Z" or the notes of the fields that differ,
// joined by "; ".
std::string AuditHeadline(const AuditReport& report);

// The record an audit against a sequence leaves for the chip's serial: the chip's identity as
// read, audited or audit-mismatch, the fields that differ as its status.
LedgerEntry AuditRecord(const ConfigRecord& chip, const AuditReport& report,
                        const std::string& port);
