#include "audit_turns.h"

#include <algorithm>
#include <utility>

#include "audit_text.h"
#include "config_jobs.h"
#include "exit_codes.h"
#include "port_name.h"
#include "status_text.h"

AuditTurns::AuditTurns(AuditBasis& basis, std::vector<std::string> ports, int count, News news)
    : basis_(basis),
      ports_(std::move(ports)),
      count_(count),
      news_(std::move(news)),
      stopped_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

ChipTurns AuditTurns::Turns() {
    return {[this] { return Stopping(); }, [this](const std::string& port) { return Takes(port); },
            [this](const std::string& port, ChipOpener& opener) { Turn(port, opener); },
            [this](const std::string& reason, int exitCode) { Stop(reason, exitCode); }};
}

AuditTally AuditTurns::Tally() {
    std::lock_guard<std::mutex> hold(mutex_);
    return tally_;
}

int AuditTurns::ExitCode() {
    std::lock_guard<std::mutex> hold(mutex_);
    return exitCode_ != 0 ? exitCode_ : tally_.ExitCode();
}

bool AuditTurns::Stopping() {
    std::lock_guard<std::mutex> hold(mutex_);
    return stopping_;
}

// Only the ports it is told to watch. Called for every port that appears, chip port or not.
bool AuditTurns::Takes(const std::string& port) const {
    return ports_.empty() || HasPort(ports_, port);
}

// A board's turn once --count boards have had theirs: left as it is, unread.
bool AuditTurns::Counted(const std::string& port) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (count_ > 0 && started_ >= count_) {
        return true;
    }
    started_++;
    if (news_.reading) {
        news_.reading(port);
    }
    return false;
}

void AuditTurns::Turn(const std::string& port, ChipOpener& opener) {
    if (Counted(port)) {
        return;
    }
    Result<std::unique_ptr<BytePort>> opened = opener.Open(port);
    std::string problem = opened ? std::string() : opened.Err().message;
    std::unique_ptr<BytePort> open = opened ? std::move(*opened) : nullptr;
    RecordPtr chip = NewRecord();
    bool read = open != nullptr && ReadChip(*open, *chip) == JobOutcome::ReadOk;
    open.reset();
    AuditReport report;
    if (read) {
        Result<AuditReport> audited = basis_.Audit(*chip);
        read = audited.Ok();
        if (audited) {
            report = *audited;
        } else {
            problem = audited.Err().message;
        }
    }
    bool recorded =
        !read || !basis_.LeavesRecord() || basis_.Record(AuditRecord(*chip, report, port));
    std::lock_guard<std::mutex> hold(mutex_);
    if (!read) {
        tally_.readFailed++;
        if (problem.empty()) {
            problem = StatusText(JobOutcome::ReadFailed);
        }
    } else {
        (OutcomeOf(report) == AuditOutcome::Audited ? tally_.audited : tally_.mismatched)++;
    }
    if (news_.audited) {
        news_.audited(port, read ? &report : nullptr, problem);
    }
    if (!recorded) {
        StopLocked("the audit's record could not be written to the ledger: the audit stops",
                   EXIT_RECORD_FAILED);
    } else if (count_ > 0 && tally_.Boards() >= count_) {
        StopLocked("", 0);
    }
}

void AuditTurns::Stop(const std::string& reason, int exitCode) {
    std::lock_guard<std::mutex> hold(mutex_);
    StopLocked(reason, exitCode);
}

void AuditTurns::StopLocked(const std::string& reason, int exitCode) {
    if (!stopping_ || exitCode_ == 0) {
        exitCode_ = exitCode;
    }
    stopping_ = true;
    if (news_.stopping) {
        news_.stopping(reason);
    }
    SetEvent(stopped_.Get());
}
