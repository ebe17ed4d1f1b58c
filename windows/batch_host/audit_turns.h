// An audit station's turns for the batch's workers: every board that appears on the watched
// ports is read (never written) and compared with the basis, until a stop or --count boards.
// The console and the station's window each hear of the boards through News.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "audit_basis.h"
#include "audit_report.h"
#include "audit_tally.h"
#include "batch_workers.h"
#include "scoped_win.h"

class AuditTurns {
public:
    // Each called under the turns' lock, so that news of the boards keeps its order; any may be
    // left empty.
    struct News {
        std::function<void(const std::string& port)> reading;
        // report when the board was read and compared; otherwise why not, in problem.
        std::function<void(const std::string& port, const AuditReport* report,
                           const std::string& problem)>
            audited;
        // Why the audit stops: "" when --count boards have had their turn.
        std::function<void(const std::string& reason)> stopping;
    };

    // ports: only these (empty: every chip port); count: stop after this many boards (0: never).
    AuditTurns(AuditBasis& basis, std::vector<std::string> ports, int count, News news);

    ChipTurns Turns();
    // Signalled once the audit stops: it wakes the port watch.
    HANDLE StopEvent() const { return stopped_.Get(); }
    AuditTally Tally();
    // A stop's own code (interrupted, a record lost) over the boards' (AuditTally::ExitCode).
    int ExitCode();

private:
    bool Stopping();
    bool Takes(const std::string& port) const;
    bool Counted(const std::string& port);
    void Turn(const std::string& port, ChipOpener& opener);
    void Stop(const std::string& reason, int exitCode);
    void StopLocked(const std::string& reason, int exitCode);

    AuditBasis& basis_;
    std::vector<std::string> ports_;
    int count_;
    News news_;
    win32::AutoCloseHandle stopped_;
    std::mutex mutex_;  // everything below, and the news
    AuditTally tally_;
    int started_ = 0;
    bool stopping_ = false;
    int exitCode_ = 0;
};
