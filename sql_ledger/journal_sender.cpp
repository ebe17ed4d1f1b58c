// A station with a journal: a board waits only for its record's line on disk (the same crash
// rule as a committed `started` record) and never for the database. The ledger's sender, one
// thread, writes the kept records to the database in the order they were kept, each by its key
// (a record that landed before a lost answer or a crash is found, never written twice),
// reconnects while the database does not answer, takes the next lease while the station's runs
// low, and rewrites a journal grown long once everything in it is in the database.
#include <algorithm>
#include <iterator>

#include "sql_ledger.h"
#include "utc_time.h"

SqlLedger::~SqlLedger() {
    if (sender_.joinable()) {
        {
            std::lock_guard<std::mutex> board(boardMutex_);
            stopSender_ = true;
        }
        senderWake_.notify_all();
        sender_.join();
    }
}

void SqlLedger::StartSender() {
    {
        Lock lock(mutex_);
        Publish();
    }
    sender_ = std::thread([this] { SendLoop(); });
}

void SqlLedger::SendLoop() {
    std::unique_lock<std::mutex> board(boardMutex_);
    bool more = false;
    while (!stopSender_) {
        // Woken by a board's record or a lease running low; otherwise once a retry interval, to
        // reconnect and try again what could not be sent.
        if (!more) {
            senderWake_.wait_for(board, options_.retryInterval,
                                 [&] { return stopSender_ || !outbox_.empty() || leaseWanted_; });
        }
        if (stopSender_) {
            break;
        }
        board.unlock();
        more = SendRound();
        board.lock();
    }
}

bool SqlLedger::SendTogether(size_t count) {
    count = std::min(count, pending_.size());
    if (count == 0) {
        return true;
    }
    for (size_t i = 0; i < count; i++) {
        if (!RunPending(pending_[i])) {
            session_->Rollback();
            return false;
        }
    }
    if (!session_->Commit()) {
        // Landed or not: each is found by its key when it is sent again on its own.
        session_->Rollback();
        return false;
    }
    MarkAnswered();
    for (size_t i = 0; i < count; i++) {
        if (!pending_.front().entry.serial.empty()) {
            lastLanded_ = pending_.front().entry.serial;
        }
        landed_.push_back(pending_.front().key);
        pending_.pop_front();
    }
    return true;
}

bool SqlLedger::SendRound() {
    Lock lock(mutex_);
    {
        std::lock_guard<std::mutex> board(boardMutex_);
        std::move(outbox_.begin(), outbox_.end(), std::back_inserter(pending_));
        outbox_.clear();
        unsent_ = pending_.size();
        leaseWanted_ = false;
    }
    const bool leaseLow = options_.lease > 0 && (unsettledLease_ || LeaseRunsLow(LeftInLease()));
    if (!session_->Connected() && (!pending_.empty() || leaseLow)) {
        ReconnectNow(lock);
    }
    ReleaseOldPeriod();
    if (options_.lease > 0 && session_->Connected()) {
        LeaseInBackground();
    }
    const size_t before = pending_.size();
    if (session_->Connected() && !SendTogether(kSendRound)) {
        // One by one: the one the database refuses is told apart, the rest go on.
        FlushPending();
    }
    WriteLanded(kLandedBatch);
    const bool more = !pending_.empty() && pending_.size() < before;
    TrimJournal();
    Publish();
    Unlock(lock);
    return more;
}

void SqlLedger::Publish() {
    std::lock_guard<std::mutex> board(boardMutex_);
    unsent_ = pending_.size();
    sendFailure_ = lastFailure_;
    sendOffline_ = !session_->Connected();
    sendOfflineSince_ = offlineSince_;
    boardWake_.notify_all();
}

void SqlLedger::LeaseInBackground() {
    {
        std::lock_guard<std::mutex> board(boardMutex_);
        if (leaseEnd_) {
            return;  // a board is told first; the next one that needs a lease asks again
        }
    }
    for (;;) {
        if (!unsettledLease_ && !LeaseRunsLow(LeftInLease())) {
            return;
        }
        SerialTake leasing;
        const bool settling = unsettledLease_.has_value();
        const Step step = settling ? SettleLease() : TakeLease(leasing);
        if (step == Step::Done && (settling || leasing.result == TakeResult::NotRecorded)) {
            continue;  // settled, or leased: enough now?
        }
        if (step == Step::Lost || step == Step::Retry) {
            return;  // the next round tries again
        }
        // The sequence (or its period) has run out, or the server refused the lease: the board
        // that finds the lease empty says so.
        if (step != Step::Done) {
            leasing.result = TakeResult::NotRecorded;
            leasing.message = "the ledger could not lease serials: " +
                              (leasing.message.empty() ? lastFailure_ : leasing.message);
        }
        std::lock_guard<std::mutex> board(boardMutex_);
        leaseEnd_ = std::move(leasing);
        boardWake_.notify_all();
        return;
    }
}

void SqlLedger::TrimJournal() {
    LeaseJournal& journal = *options_.journal;
    if (!pending_.empty() || !refused_.empty() || unsettledLease_ || unsettled_) {
        return;
    }
    std::lock_guard<std::mutex> board(boardMutex_);
    if (journal.Lines() < trimAt_ || !outbox_.empty()) {
        return;
    }
    // Every record of it is in the database: a restart needs only the sequence and the serials
    // the lease still holds. Not rewritten, the old journal stays whole, and grows on.
    const Status compacted = journal.Compact(sequence_, station_, leased_);
    if (compacted) {
        landed_.clear();
    }
    trimAt_ = compacted ? options_.journalTrimLines : journal.Lines() + options_.journalTrimLines;
}

SerialTake SqlLedger::TakeFromJournal(const LedgerEntry& chip) {
    std::unique_lock<std::mutex> board(boardMutex_);
    std::optional<std::chrono::steady_clock::time_point> waitingSince;
    while (leased_.empty()) {
        if (leaseEnd_) {
            SerialTake ended = std::move(*leaseEnd_);
            leaseEnd_.reset();
            return ended;
        }
        // The station cannot go on without the database: the bound runs from now.
        const auto now = std::chrono::steady_clock::now();
        if (!waitingSince) {
            waitingSince = now;
        } else if (now - *waitingSince >= options_.reconnectBound) {
            return LeaseWaitEnded();
        }
        leaseWanted_ = true;
        senderWake_.notify_one();
        boardWake_.wait_for(board, options_.retryInterval);
    }
    const LeasedSerial leased = leased_.front();
    leased_.pop_front();
    Pending started = StartedRecord(chip, leased);
    SerialTake take;
    // On disk first, as a started record in the database would be: the board goes on, and the
    // database gets it from the sender. A serial whose line did not reach the disk is never
    // used: it stays leased, unused.
    if (!options_.journal->Record({started.key, started.entry, started.leasedPosition})) {
        take.message = "could not write to " + options_.journal->Name();
        return take;
    }
    outbox_.push_back(std::move(started));
    lastRecorded_ = leased.serial;
    leaseWanted_ = leaseWanted_ || LeaseRunsLow(leased_.size());
    senderWake_.notify_one();
    take.result = TakeResult::Taken;
    take.serial = leased.serial;
    return take;
}

SerialTake SqlLedger::LeaseWaitEnded() {
    SerialTake take;
    take.message = sendOffline_ ? "the lease is used up and " + Unreachable(sendFailure_) +
                                      ": no board is written until it answers"
                                : "the ledger could not lease serials within its bound" +
                                      (sendFailure_.empty() ? "" : ": " + sendFailure_);
    return take;
}

Status SqlLedger::KeepForSender(Pending pending) {
    std::lock_guard<std::mutex> board(boardMutex_);
    if (!options_.journal->Record({pending.key, pending.entry, pending.leasedPosition})) {
        return Fail("could not write to " + options_.journal->Name());
    }
    if (pending.entry.outcome == BatchOutcome::Verified && !pending.entry.serial.empty()) {
        verified_.insert(pending.entry.serial);
    }
    outbox_.push_back(std::move(pending));
    senderWake_.notify_one();
    return {};
}

Status SqlLedger::FinishSending() {
    std::unique_lock<std::mutex> board(boardMutex_);
    // The station needs the database now: the bound runs from here.
    const auto until = std::chrono::steady_clock::now() + options_.reconnectBound;
    while ((!outbox_.empty() || unsent_ > 0) && std::chrono::steady_clock::now() < until) {
        senderWake_.notify_one();
        boardWake_.wait_for(board, options_.retryInterval);
    }
    const size_t left = outbox_.size() + unsent_;
    const std::string failure = sendFailure_;
    board.unlock();
    if (left > 0) {
        return Fail(std::to_string(left) + " records are kept in " + options_.journal->Name() +
                    ", not yet in the ledger (" + Unreachable(failure) +
                    "): a restart with the same journal writes them");
    }
    Lock lock(mutex_);
    WriteLanded(1);  // a restart replays nothing
    if (!refused_.empty()) {
        return Fail("the ledger's database refused " + std::to_string(refused_.size()) +
                    " records: " + lastFailure_);
    }
    return {};
}
