// An audit station's counts, and the exit code they give: any board unread is a failed read (3),
// else any board that differs is a mismatch (7), else every board matched (0).
#pragma once

#include <string>

struct AuditTally {
    int audited = 0;
    int mismatched = 0;
    int readFailed = 0;

    int Boards() const { return audited + mismatched + readFailed; }
    int ExitCode() const;
    // "audited 2, audit-mismatch 1, read-failed 0"
    std::string Summary() const;
};
