// An audit on the console: a line per field (or one JSON object) per board, the shared words of
// a single audit and an audit station.
#pragma once

#include <string>

#include "audit_basis.h"
#include "audit_report.h"
#include "command_line.h"

void ReportAudit(const CommandLine& line, const AuditBasis& basis, const std::string& port,
                 const AuditReport& report);

// zq61prog audit --watch: every board that appears, until Ctrl+C or --count boards.
int RunAuditWatch(const CommandLine& line);
