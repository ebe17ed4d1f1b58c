// The ledger's leased serials: a block of the sequence taken in one transaction under its row's
// lock, then each board's serial taken from the block with its `started` record alone, so that
// the sequence's row is held once a lease, not once a board.
#include <algorithm>

#include "column_number.h"
#include "calendar_date.h"
#include "format_scheme.h"
#include "ledger_statements.h"
#include "sql_ledger.h"
#include "utc_time.h"

namespace {

const char* kInsertLease =
    "INSERT INTO zq_leases (lease_key, sequence_name, station, first_position, lease_size, "
    "end_position, period, leased_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
const char* kInsertRelease =
    "INSERT INTO zq_lease_releases (lease_key, released, released_at) VALUES (?, ?, ?)";
const char* kLeaseByKey = "SELECT COUNT(*) FROM zq_leases WHERE lease_key = ?";
// A list's free serials in the lease's range. Ranges never overlap, so a release frees exactly
// its own lease's; a released serial behind them goes to the next take without a lease.
const char* kLeaseList =
    "SELECT serial, list_position FROM zq_list_serials WHERE sequence_name = ? AND "
    "list_position >= ? AND list_position < ? AND state = ? ORDER BY list_position";

// Another sequence of the same VID and PID used a leased serial (two sequences over one range):
// the board goes on with the lease's next one, a few times at most.
constexpr int kRefusedSerials = 5;

}  // namespace

bool SqlLedger::LeaseRunsLow(size_t left) const {
    return left == 0 || left < static_cast<size_t>(options_.leaseLow);
}

size_t SqlLedger::LeftInLease() {
    std::lock_guard<std::mutex> board(boardMutex_);
    return leased_.size();
}

bool SqlLedger::AddLease(const LeaseBlock& lease) {
    std::lock_guard<std::mutex> board(boardMutex_);
    // On disk before any of its serials is used; a lease the journal lost stays leased, unused.
    if (options_.journal != nullptr && !options_.journal->Lease(lease)) {
        return false;
    }
    leased_.insert(leased_.end(), lease.serials.begin(), lease.serials.end());
    boardWake_.notify_all();
    return true;
}

std::optional<SqlLedger::Step> SqlLedger::LeaseFromList(uint64_t first, LeaseBlock& block,
                                                        SerialTake& take) {
    const int64_t from = static_cast<int64_t>(first);
    odbc::Answer read = session_->Run(
        kLeaseList, {sequence_.name, from, from + options_.lease, std::string("free")});
    if (!read) {
        return TakeFailed(read.Err(), take);
    }
    for (const odbc::Row& row : read->rows) {
        const std::optional<int64_t> position = NumberIn(row.at(1));
        if (!position || *position < 0) {
            return TakeRefused("the list of the sequence \"" + sequence_.name +
                                   "\" holds a position that is not a count",
                               take);
        }
        block.serials.push_back({static_cast<uint64_t>(*position), row.at(0).value_or(""), "", ""});
        odbc::Answer marked =
            session_->Run(statements::kMarkListSerial,
                          {std::string("leased"), sequence_.name, static_cast<int64_t>(*position)});
        if (!marked) {
            return TakeFailed(marked.Err(), take);
        }
    }
    if (block.serials.empty()) {
        return RanOut(TakeResult::RunOut,
                      "the serials have run out: every serial of the list is used or leased", take);
    }
    return std::nullopt;
}

std::optional<SqlLedger::Step> SqlLedger::LeaseFromPeriod(uint64_t first, LeaseBlock& block,
                                                          SerialTake& take) {
    std::vector<std::string> serials;
    if (std::optional<Step> ended = FromPeriod(options_.lease, serials, block.period, take)) {
        return ended;
    }
    for (size_t i = 0; i < serials.size(); i++) {
        block.serials.push_back({first + i, serials[i], "", ""});
    }
    return std::nullopt;
}

std::optional<SqlLedger::Step> SqlLedger::LeaseSerials(uint64_t first, LeaseBlock& block,
                                                       SerialTake& take) {
    if (rules_.scheme == SequenceScheme::List) {
        return LeaseFromList(first, block, take);
    }
    if (rules_.scheme == SequenceScheme::Format) {
        // The positions only number the serials' rows; the period's counter names them.
        return LeaseFromPeriod(first, block, take);
    }
    for (int i = 0; i < options_.lease; i++) {
        const uint64_t position = first + static_cast<uint64_t>(i);
        std::optional<std::string> serial = serialAt_(sequence_.firstSerial, position);
        if (!serial) {
            break;
        }
        block.serials.push_back({position, *serial, "", ""});
    }
    if (block.serials.empty()) {
        return RanOut(TakeResult::RunOut,
                      "the sequence \"" + sequence_.name + "\" has no serial left", take);
    }
    return std::nullopt;
}

SqlLedger::Step SqlLedger::TakeLease(SerialTake& take) {
    uint64_t first = 0;
    if (std::optional<Step> stop = Advance(options_.lease, first, take)) {
        return *stop;
    }
    LeaseBlock block{recordKeyPrefix_ + "L" + std::to_string(nextLease_++), "", {}};
    if (std::optional<Step> stop = LeaseSerials(first, block, take)) {
        return *stop;
    }
    for (LeasedSerial& serial : block.serials) {
        serial.lease = block.key;
        serial.period = block.period;
    }
    odbc::Answer leased = session_->Run(
        kInsertLease,
        {block.key, sequence_.name, station_, static_cast<int64_t>(block.serials.front().position),
         static_cast<int64_t>(block.serials.size()),
         static_cast<int64_t>(block.serials.back().position + 1), block.period, UtcNow()});
    if (!leased) {
        return TakeFailed(leased.Err(), take);
    }
    // Landed or not when the answer is lost, the lease's key says so once the connection is back:
    // its serials are the station's then, and only then.
    if (std::optional<Step> ended = CommitTake(take, [&] { unsettledLease_ = std::move(block); })) {
        return *ended;
    }
    if (!AddLease(block)) {
        return TakeRefused("could not write the lease to " + options_.journal->Name(), take);
    }
    return Step::Done;
}

SqlLedger::Step SqlLedger::SettleLease() {
    const Result<bool, odbc::Failure> landed = KeyLanded(kLeaseByKey, unsettledLease_->key);
    if (!landed) {
        if (landed.Err().connectionLost) {
            MarkLost(landed.Err());
            return Step::Lost;
        }
        NoteFailure(landed.Err());
        return Step::Retry;
    }
    if (*landed) {
        (void)AddLease(*unsettledLease_);
    }
    unsettledLease_.reset();
    return Step::Done;
}

bool SqlLedger::RenewLease(Lock& lock, SerialTake& take) {
    for (;;) {
        if (!unsettledLease_ && !LeaseRunsLow(LeftInLease())) {
            return true;
        }
        if (!session_->Connected() && !needsDatabase_) {
            // The station cannot go on without the database: the bound runs from now.
            needsDatabase_ = true;
            failingSince_ = std::chrono::steady_clock::now();
        }
        // A lease that cannot be taken now leaves the station's own serials to go on with.
        if (!WaitForConnection(lock)) {
            take.message = Unreachable(lastFailure_);
            return LeftInLease() > 0;
        }
        SerialTake leasing;
        const bool settling = unsettledLease_.has_value();
        const Step step = settling ? SettleLease() : TakeLease(leasing);
        if (step == Step::Done && settling) {
            continue;
        }
        if (step == Step::Done) {
            // Leased; or the sequence (or its period) has run out, and the lease's rest is all
            // there is.
            take.result = leasing.result;
            take.message = leasing.message;
            return leasing.result == TakeResult::NotRecorded || LeftInLease() > 0;
        }
        if (step == Step::Failed || step == Step::Duplicate ||
            (step == Step::Retry && !Pause(lock)) || (step == Step::Lost && PastBound())) {
            take.message = "the ledger could not lease serials: " +
                           (leasing.message.empty() ? lastFailure_ : leasing.message);
            return LeftInLease() > 0;
        }
    }
}

void SqlLedger::ReleaseOldPeriod() {
    // Offline the station keeps its lease's serials across a period's end: only the database's
    // clock says the period has ended.
    if (rules_.scheme != SequenceScheme::Format || LeftInLease() == 0 || !session_->Connected()) {
        return;
    }
    const auto now = LedgerNow(*session_, options_.clock);
    session_->Rollback();
    if (!now) {
        return;  // asked again at the next board
    }
    const std::string period = PeriodOf(*rules_.format, DateAt(*now, rules_.offsetMinutes));
    // Taken out of boards' reach first, so that the release counts exactly the serials no board
    // took; put back when it could not be noted.
    std::deque<LeasedSerial> old;
    {
        std::lock_guard<std::mutex> board(boardMutex_);
        while (!leased_.empty() && leased_.front().period != period &&
               (old.empty() || leased_.front().lease == old.front().lease)) {
            old.push_back(leased_.front());
            leased_.pop_front();
        }
    }
    if (old.empty()) {
        return;
    }
    const auto putBack = [&] {
        std::lock_guard<std::mutex> board(boardMutex_);
        leased_.insert(leased_.begin(), old.begin(), old.end());
    };
    const std::string lease = old.front().lease;
    odbc::Answer noted =
        session_->Run(kInsertRelease, {lease, static_cast<int64_t>(old.size()), UtcNow()});
    if (!noted || !session_->Commit()) {
        session_->Rollback();
        putBack();  // a duplicate: released already; anything else is asked again
        return;
    }
    if (options_.journal != nullptr) {
        std::lock_guard<std::mutex> board(boardMutex_);
        (void)options_.journal->Released(lease);
    }
}

SqlLedger::Pending SqlLedger::StartedRecord(const LedgerEntry& chip, const LeasedSerial& leased) {
    const uint64_t ticket = nextTicket_++;
    Pending started{ticket, RecordKey(ticket), chip, leased.position};
    started.entry.serial = leased.serial;
    started.entry.outcome = BatchOutcome::Started;
    started.entry.status.clear();
    started.entry.time = UtcNow();
    if (started.entry.station.empty()) {
        started.entry.station = station_;
    }
    return started;
}

SerialTake SqlLedger::TakeLeasedSerial(Lock& lock, const LedgerEntry& chip) {
    ReleaseOldPeriod();
    for (int refusals = 0; refusals < kRefusedSerials; refusals++) {
        SerialTake take;
        if (!RenewLease(lock, take)) {
            return take;
        }
        LeasedSerial leased;
        {
            std::lock_guard<std::mutex> board(boardMutex_);
            leased = leased_.front();
            leased_.pop_front();
        }
        Pending started = StartedRecord(chip, leased);
        const uint64_t ticket = started.ticket;
        const std::string serial = leased.serial;
        pending_.push_back(std::move(started));
        const bool written = WaitWritten(lock, ticket);
        if (refused_.erase(ticket) > 0) {
            // The database refused the serial (another sequence of the same identity used it):
            // on record as not used, and the board takes the lease's next one.
            refusedSerials_.erase(
                std::remove(refusedSerials_.begin(), refusedSerials_.end(), serial),
                refusedSerials_.end());
            LedgerEntry skipped = chip;
            skipped.serial = serial;
            skipped.outcome = BatchOutcome::Failed;
            skipped.status = "not used: the ledger refused it as used (" + lastFailure_ + ")";
            const uint64_t skip = nextTicket_++;
            pending_.push_back({skip, RecordKey(skip), skipped});
            FlushPending();
            continue;
        }
        if (!written) {
            // It may land later, in order: its outcome says the chip was never written.
            LedgerEntry unused = chip;
            unused.serial = serial;
            unused.outcome = BatchOutcome::Failed;
            unused.status = "not written: its started record was not known to be committed";
            const uint64_t note = nextTicket_++;
            pending_.push_back({note, RecordKey(note), unused});
            take.result = TakeResult::NotRecorded;
            take.message = session_->Connected() ? "the ledger did not answer within its bound"
                                                 : "the ledger's database is unreachable";
            take.message += lastFailure_.empty() ? std::string() : ": " + lastFailure_;
            return take;
        }
        std::lock_guard<std::mutex> board(boardMutex_);
        lastRecorded_ = serial;
        take.result = TakeResult::Taken;
        take.serial = serial;
        return take;
    }
    return SerialTake{TakeResult::NotRecorded, "",
                      "the ledger refused every serial tried as used: " + lastFailure_};
}

Status SqlLedger::LoadJournal(bool online) {
    LeaseJournal& journal = *options_.journal;
    Result<JournalState> state = journal.Load();
    if (!state) {
        return Fail(state.Err().message);
    }
    if (!state->sequence) {
        if (!online) {
            return Fail(journal.Name() + " holds no sequence to go on with");
        }
        return journal.Begin(sequence_, station_);
    }
    if (state->sequence->name != sequence_.name || state->station != station_) {
        return Fail(journal.Name() + " is the journal of sequence \"" + state->sequence->name +
                    "\", station " + state->station + ": another journal, or none, for this one");
    }
    if (online && *state->sequence != sequence_) {
        return Fail(journal.Name() + " holds the sequence \"" + sequence_.name +
                    "\" with other values than the ledger's: it was redefined");
    }
    if (!online) {
        Result<SequenceRules> rules = RulesOf(*state->sequence);
        if (!rules) {
            return Fail(rules.Err().message);
        }
        sequence_ = *state->sequence;
        rules_ = std::move(*rules);
    }
    for (JournalRecord& record : state->pending) {
        if (record.entry.outcome == BatchOutcome::Verified && !record.entry.serial.empty()) {
            verified_.insert(record.entry.serial);
        }
        pending_.push_back({nextTicket_++, record.key, record.entry, record.leasedPosition});
    }
    // Without a lease the old one's serials are left alone: they stay leased, never used.
    if (options_.lease > 0) {
        leased_ = std::move(state->leased);
    }
    return {};
}

bool SqlLedger::ReconnectNow(Lock& lock) {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastReconnect_ < options_.retryInterval) {
        return false;
    }
    lastReconnect_ = now;
    return TryConnect(lock);
}

Status SqlLedger::Finish() {
    if (options_.journal != nullptr) {
        return FinishSending();
    }
    Lock lock(mutex_);
    if (pending_.empty() && refused_.empty()) {
        Unlock(lock);
        return {};
    }
    // The station needs the database now: the bound runs from here.
    if (!session_->Connected()) {
        failingSince_ = std::chrono::steady_clock::now();
    }
    if (!pending_.empty()) {
        WaitWritten(lock, pending_.back().ticket);
    }
    Status finished;
    if (!pending_.empty()) {
        finished = Fail(std::to_string(pending_.size()) + " records are kept in " +
                        (options_.journal ? options_.journal->Name() : "memory") +
                        ", not yet in the ledger (" + Unreachable(lastFailure_) +
                        "): a restart with the same journal writes them");
    } else if (!refused_.empty()) {
        finished = Fail("the ledger's database refused " + std::to_string(refused_.size()) +
                        " records: " + lastFailure_);
    }
    Unlock(lock);
    return finished;
}

size_t SqlLedger::LeaseLeft() {
    return LeftInLease();
}

std::optional<std::chrono::system_clock::time_point> SqlLedger::OfflineSince() {
    if (options_.journal != nullptr) {
        // As the sender saw it at the end of its last round: never waits for its statements.
        std::lock_guard<std::mutex> board(boardMutex_);
        return sendOfflineSince_;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    return offlineSince_;
}
