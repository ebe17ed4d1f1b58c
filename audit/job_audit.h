// An audit against a job: is the chip exactly what its job makes? Its VID, PID, product and lock
// equal the job's, and its serial is one the job's scheme could have given.
#pragma once

#include <string>
#include <vector>

#include "audit_report.h"
#include "config_record.h"
#include "job.h"

// chip: what the chip read back. listSerials: a list job's serials as the list's reader gave
// them; unused for any other scheme.
AuditReport AuditAgainstJob(const ConfigRecord& chip, const Job& job,
                            const std::vector<std::string>& listSerials = {});
