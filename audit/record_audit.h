// An audit against a record (a log's lines or a sequence's records): is the chip's serial on
// record, did its programming end verified, and does the chip hold the identity recorded for it?
#pragma once

#include <string>
#include <vector>

#include "audit_report.h"
#include "batch_outcome.h"
#include "config_record.h"
#include "ledger_entry.h"

// chip: what the chip read back. record: the records that may name its serial, in the order
// they were recorded (a log's lines, a sequence's records); either ledger can supply them.
AuditReport AuditAgainstRecord(const ConfigRecord& chip, const std::vector<LedgerEntry>& record);

// "st-b 2026-12-08T09:14Z": where (the station, or the port in a single station's log) and when,
// to the minute, a record was made.
std::string WhereAndWhen(const LedgerEntry& entry);
