#include "sql_ledger.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <thread>

#include "column_number.h"
#include "format_scheme.h"
#include "ledger_layout.h"
#include "ledger_roles.h"
#include "list_scheme.h"
#include "ledger_statements.h"
#include "record_times.h"
#include "utc_time.h"
#include "value_checks.h"

namespace {

// A take that meets a serial the database refuses as used (another sequence's station took it in
// the same moment) tries again a few times; more means the sequence itself was moved back.
constexpr int kTakeAttempts = 5;

const char* kAdvance = "UPDATE zq_sequences SET next_position = next_position + ? WHERE name = ?";
// A USB host tells devices apart by VID, PID and serial: a serial of this identity another
// sequence has used is not handed out again.
const char* kUsedElsewhere =
    "SELECT sequence_name FROM zq_serials WHERE vid = ? AND pid = ? AND serial = ? "
    "AND sequence_name <> ?";
const char* kInsertSerial =
    "INSERT INTO zq_serials (sequence_name, serial, serial_position, vid, pid, station, taken_at, "
    "taken_ts) VALUES (?, ?, ?, ?, ?, ?, ?, {ts})";
const char* kInsertRecord =
    "INSERT INTO zq_records (record_key, sequence_name, recorded_at, station, port, serial, vid, "
    "pid, product, locked, outcome, status_text, job, recorded_ts) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, {ts})";
const char* kFirstFreeInList =
    "SELECT serial, list_position FROM zq_list_serials WHERE sequence_name = ? AND "
    "list_position <= ? AND state = ? ORDER BY list_position";
const char* kRecordByKey = "SELECT COUNT(*) FROM zq_records WHERE record_key = ?";
const char* kCountVerified =
    "SELECT COUNT(*) FROM zq_records WHERE sequence_name = ? AND serial = ? AND outcome = ?";

// A prefix no other ledger shares, for the keys of this one's records.
std::string RecordKeyPrefix() {
    std::random_device random;
    std::string prefix;
    for (int i = 0; i < 4; i++) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(random()));
        prefix += part;
    }
    return prefix + "-";
}

std::string NotAnswering(const std::string& lastFailure) {
    return "the ledger did not answer within its bound" +
           (lastFailure.empty() ? std::string() : ": " + lastFailure);
}

}  // namespace

SqlLedger::SqlLedger(const std::string& connection, const std::string& station, SerialAt serialAt,
                     SqlLedgerOptions options)
    : connection_(connection),
      station_(station),
      serialAt_(std::move(serialAt)),
      options_(std::move(options)),
      recordKeyPrefix_(RecordKeyPrefix()) {}

// A leasing station starts from its journal while the database does not answer: its lease and
// the records not yet in the database are all it needs.
Status SqlLedger::StartOffline(const std::string& sequence, const odbc::Failure& failure) {
    sequence_.name = sequence;
    if (Status loaded = LoadJournal(false); !loaded) {
        return loaded;
    }
    MarkLost(failure);
    StartSender();
    return {};
}

Result<std::unique_ptr<SqlLedger>, LedgerError> SqlLedger::Open(const std::string& connection,
                                                                const std::string& sequence,
                                                                const std::string& station,
                                                                SerialAt serialAt,
                                                                SqlLedgerOptions options) {
    std::unique_ptr<SqlLedger> ledger(
        new SqlLedger(connection, station, std::move(serialAt), std::move(options)));
    odbc::Session& session = *ledger->session_;
    session.InjectFaults(ledger->options_.faults);
    if (const auto connected = session.Connect(connection, ledger->options_.loginTimeoutSeconds,
                                               ledger->options_.limits);
        !connected) {
        const std::string unreachable =
            "could not connect to the ledger's database: " + connected.Err().message;
        if (ledger->options_.journal == nullptr) {
            return LedgerFail(unreachable);
        }
        if (Status started = ledger->StartOffline(sequence, connected.Err()); !started) {
            return LedgerFail(unreachable + "; " + started.Err().message);
        }
        return ledger;
    }
    if (Status checked = layout::CheckLayout(session); !checked) {
        return LedgerFail(checked.Err().message);
    }
    auto found = layout::FindSequence(session, sequence);
    if (!found) {
        return LedgerFail("could not read the sequence: " + found.Err().message);
    }
    if (!*found) {
        return LedgerFail("the ledger holds no sequence \"" + sequence + "\"");
    }
    Result<SequenceRules> rules = RulesOf(**found);
    if (!rules) {
        return LedgerFail(rules.Err().message);
    }
    const auto rights = ReadLoginRights(session);
    if (!rights) {
        return LedgerFail("could not read the login's privileges: " + rights.Err().message);
    }
    if (ledger->options_.takes && !rights->canTake) {
        return LedgerFail(
            "this login cannot take serials: give it a station login's privileges "
            "(zq61prog ledger grant station USER)");
    }
    ledger->loginWarning_ = RewriteWarning(*rights);
    const auto capacity = PreviewSerials(session, **found, *rules, 0, 0, ledger->options_.clock);
    session.Rollback();
    if (!capacity) {
        return LedgerFail("could not read the sequence: " + capacity.Err().message);
    }
    ledger->capacity_ = capacity->capacity;
    ledger->sequence_ = std::move(**found);
    ledger->rules_ = std::move(*rules);
    if (ledger->options_.journal != nullptr) {
        if (Status loaded = ledger->LoadJournal(true); !loaded) {
            return LedgerFail(loaded.Err().message);
        }
        ledger->FlushPending();
        ledger->StartSender();
    }
    return ledger;
}

std::string SqlLedger::Unreachable(const std::string& lastFailure) {
    return "the ledger's database is unreachable" +
           (lastFailure.empty() ? std::string() : ": " + lastFailure);
}

bool SqlLedger::PastBound() const {
    return failingSince_ &&
           std::chrono::steady_clock::now() - *failingSince_ >= options_.reconnectBound;
}

std::string SqlLedger::RecordKey(uint64_t ticket) const {
    return recordKeyPrefix_ + std::to_string(ticket);
}

void SqlLedger::MarkLost(const odbc::Failure& failure) {
    session_->Disconnect();
    lastFailure_ = failure.message;
    if (!failingSince_) {
        failingSince_ = std::chrono::steady_clock::now();
    }
    if (!lost_) {
        lost_ = true;
        offlineSince_ = std::chrono::system_clock::now();
        notices_.push_back(false);
    }
}

void SqlLedger::NoteFailure(const odbc::Failure& failure) {
    lastFailure_ = failure.message;
    if (!failingSince_) {
        failingSince_ = std::chrono::steady_clock::now();
    }
    // A row another station holds: the station says it waits, as for a lost connection.
    if (odbc::IsLockTimeout(failure) && !lost_) {
        lost_ = true;
        offlineSince_ = std::chrono::system_clock::now();
        notices_.push_back(false);
    }
}

bool SqlLedger::Pause(Lock& lock) {
    if (PastBound()) {
        return false;
    }
    Unlock(lock);
    std::this_thread::sleep_for(options_.retryInterval);
    lock.lock();
    return true;
}

void SqlLedger::MarkAnswered() {
    failingSince_.reset();
    offlineSince_.reset();
    needsDatabase_ = false;
    if (lost_) {
        lost_ = false;
        notices_.push_back(true);
    }
}

bool SqlLedger::TryConnect(Lock& lock) {
    if (session_->Connected()) {
        return true;
    }
    if (connecting_) {
        return false;
    }
    // The lock let go for the login: other workers' boards go on meanwhile, and see no session
    // until this one is connected.
    connecting_ = true;
    Unlock(lock);
    auto fresh = std::make_unique<odbc::Session>();
    fresh->InjectFaults(options_.faults);
    const auto connected =
        fresh->Connect(connection_, options_.loginTimeoutSeconds, options_.limits);
    lock.lock();
    connecting_ = false;
    if (!connected) {
        // Still unreachable: the bound keeps running from the first failure.
        MarkLost(connected.Err());
        return false;
    }
    session_ = std::move(fresh);
    if (options_.journal == nullptr) {
        FlushPending();  // with a journal, the sender sends them
    }
    return session_->Connected();
}

bool SqlLedger::WaitForConnection(Lock& lock) {
    for (;;) {
        if (TryConnect(lock)) {
            return true;
        }
        if (PastBound()) {
            return false;
        }
        Unlock(lock);
        std::this_thread::sleep_for(options_.retryInterval);
        lock.lock();
    }
}

void SqlLedger::Unlock(Lock& lock) {
    std::vector<bool> notices;
    notices.swap(notices_);
    lock.unlock();
    if (options_.onConnection) {
        for (bool connected : notices) {
            options_.onConnection(connected);
        }
    }
}

odbc::Answer SqlLedger::InsertRecord(const std::string& key, const LedgerEntry& entry) {
    // The timestamp from the same text, so that the two never disagree.
    return session_->Run(layout::SpellTimestamp(kInsertRecord, session_->DatabaseEngine()),
                         {key, sequence_.name, entry.time, entry.station, entry.port, entry.serial,
                          entry.vid, entry.pid, entry.product, int64_t{entry.lock ? 1 : 0},
                          std::string(OutcomeWord(entry.outcome)), entry.status, entry.job,
                          layout::TimestampText(entry.time)});
}

Result<void, odbc::Failure> SqlLedger::InsertPending(const Pending& pending) {
    if (Result<void, odbc::Failure> ran = RunPending(pending); !ran) {
        return ran;
    }
    return session_->Commit();
}

Result<void, odbc::Failure> SqlLedger::RunPending(const Pending& pending) {
    if (pending.leasedPosition) {
        const LedgerEntry& started = pending.entry;
        odbc::Answer claimed = session_->Run(
            layout::SpellTimestamp(kInsertSerial, session_->DatabaseEngine()),
            {sequence_.name, started.serial, static_cast<int64_t>(*pending.leasedPosition),
             sequence_.vid, sequence_.pid, started.station, started.time,
             layout::TimestampText(started.time)});
        if (!claimed) {
            return Fail(claimed.Err());
        }
        if (rules_.scheme == SequenceScheme::List) {
            odbc::Answer marked = session_->Run(statements::kMarkListSerial,
                                                {std::string("used"), sequence_.name,
                                                 static_cast<int64_t>(*pending.leasedPosition)});
            if (!marked) {
                return Fail(marked.Err());
            }
        }
    }
    if (odbc::Answer inserted = InsertRecord(pending.key, pending.entry); !inserted) {
        return Fail(inserted.Err());
    }
    return {};
}

Result<bool, odbc::Failure> SqlLedger::KeyLanded(const char* sql, const std::string& key) {
    odbc::Answer found = session_->Run(sql, {key});
    session_->Rollback();
    if (!found) {
        return Fail(found.Err());
    }
    const std::optional<int64_t> count = NumberAt(found);
    if (!count) {
        return Fail(odbc::Failure{"", "the database counted records in words it did not explain"});
    }
    return *count > 0;
}

void SqlLedger::FlushPending() {
    SendPending();
    WriteLanded(kLandedBatch);
}

void SqlLedger::WriteLanded(size_t atLeast) {
    std::lock_guard<std::mutex> board(boardMutex_);
    if (!lastLanded_.empty()) {
        lastRecorded_ = lastLanded_;
        lastLanded_.clear();
    }
    if (landed_.empty() || landed_.size() < atLeast) {
        return;
    }
    // Not needed for safety (a replay finds a record by its key): a restart only replays less.
    (void)options_.journal->Landed(landed_);
    landed_.clear();
}

void SqlLedger::SendPending() {
    while (!pending_.empty() && session_->Connected()) {
        const Pending& next = pending_.front();
        // The failure that decides what becomes of the record, if any.
        std::optional<odbc::Failure> failure;
        if (auto inserted = InsertPending(next); !inserted) {
            failure = inserted.Err();
        }
        if (failure && odbc::IsDuplicate(*failure)) {
            // Its own key is there when a commit that lost its answer had landed; any other
            // duplicate is a refusal like any other.
            session_->Rollback();
            const Result<bool, odbc::Failure> landed = KeyLanded(kRecordByKey, next.key);
            if (!landed) {
                failure = landed.Err();
            } else if (*landed) {
                failure.reset();
            }
        }
        if (failure && failure->connectionLost) {
            MarkLost(*failure);
            return;
        }
        if (failure && odbc::IsRetryable(*failure)) {
            // Kept, in order: the caller waits within the bound and tries again.
            session_->Rollback();
            NoteFailure(*failure);
            return;
        }
        if (failure) {
            // The database refuses this record for good (a value it cannot hold): waiting
            // would not help, and it must not hold up the records behind it.
            session_->Rollback();
            lastFailure_ = failure->message;
            refused_.insert(next.ticket);
            if (!next.entry.serial.empty()) {
                refusedSerials_.push_back(next.entry.serial);
            }
        } else {
            MarkAnswered();
            if (!next.entry.serial.empty()) {
                lastLanded_ = next.entry.serial;
            }
            if (options_.journal != nullptr) {
                landed_.push_back(next.key);
            }
        }
        pending_.pop_front();
    }
}

SqlLedger::Step SqlLedger::Settle() {
    const Result<bool, odbc::Failure> landed =
        KeyLanded(kRecordByKey, RecordKey(unsettled_->ticket));
    if (!landed) {
        if (landed.Err().connectionLost) {
            MarkLost(landed.Err());
            return Step::Lost;
        }
        NoteFailure(landed.Err());
        return Step::Retry;
    }
    if (*landed) {
        // Used, never written: its record says why it has no outcome.
        LedgerEntry outcome = unsettled_->started;
        outcome.outcome = BatchOutcome::Failed;
        outcome.status = "not written: the answer to its take was lost";
        outcome.time = UtcNow();
        const uint64_t ticket = nextTicket_++;
        pending_.push_back({ticket, RecordKey(ticket), outcome});
        FlushPending();
    }
    unsettled_.reset();
    return Step::Done;
}

SqlLedger::Step SqlLedger::TakeFailed(const odbc::Failure& failure, SerialTake& take) {
    session_->Rollback();
    if (failure.connectionLost) {
        MarkLost(failure);
        return Step::Lost;
    }
    take.message = "the ledger could not take a serial: " + failure.message;
    if (odbc::IsDuplicate(failure)) {
        checkUsed_ = true;
        return Step::Duplicate;
    }
    if (odbc::IsRetryable(failure)) {
        NoteFailure(failure);
        return Step::Retry;
    }
    return Step::Failed;
}

SqlLedger::Step SqlLedger::TakeRefused(const std::string& message, SerialTake& take) {
    session_->Rollback();
    take.message = message;
    return Step::Failed;
}

Result<std::string, odbc::Failure> SqlLedger::ReadNextSerial() {
    const auto next = NextPosition(*session_, sequence_.name);
    if (!next) {
        return Fail(next.Err());
    }
    if (!*next) {
        return std::string();
    }
    if (rules_.scheme == SequenceScheme::From) {
        return serialAt_(sequence_.firstSerial, **next).value_or("");
    }
    const auto preview = PreviewSerials(*session_, sequence_, rules_, **next, 1, options_.clock);
    if (!preview) {
        return Fail(preview.Err());
    }
    return preview->serials.empty() ? std::string() : preview->serials.front();
}

// Moves the sequence on by count (one for a board, a lease's size for a lease), under the row lock
// that holds every other station's take until this one commits; first is the first position
// moved past.
std::optional<SqlLedger::Step> SqlLedger::Advance(int64_t count, uint64_t& first,
                                                  SerialTake& take) {
    odbc::Answer advanced = session_->Run(kAdvance, {count, sequence_.name});
    if (!advanced) {
        return TakeFailed(advanced.Err(), take);
    }
    if (advanced->changed != 1) {
        return TakeRefused("the ledger holds no sequence \"" + sequence_.name + "\" any more",
                           take);
    }
    const auto next = NextPosition(*session_, sequence_.name);
    if (!next) {
        return TakeFailed(next.Err(), take);
    }
    if (!*next || **next < static_cast<uint64_t>(count)) {
        return TakeRefused(
            "the sequence \"" + sequence_.name + "\" holds a next position that is not a count",
            take);
    }
    first = **next - static_cast<uint64_t>(count);
    return std::nullopt;
}

SqlLedger::Step SqlLedger::RanOut(TakeResult result, const std::string& message, SerialTake& take) {
    session_->Rollback();
    take.result = result;
    take.message = message;
    return Step::Done;
}

std::optional<SqlLedger::Step> SqlLedger::Candidate(FreeTake& free, SerialTake& take) {
    if (rules_.scheme == SequenceScheme::Format) {
        return NextInPeriod(free, take);
    }
    if (rules_.scheme == SequenceScheme::List) {
        // The list's serial at the position, or a released lease's serial behind it.
        odbc::Answer serial = session_->Run(
            kFirstFreeInList,
            {sequence_.name, static_cast<int64_t>(free.position), std::string("free")});
        if (!serial) {
            return TakeFailed(serial.Err(), take);
        }
        const std::optional<int64_t> position =
            serial->rows.empty() ? std::nullopt : NumberIn(serial->rows.front().at(1));
        if (!position || *position < 0) {
            return RanOut(TakeResult::RunOut, ListRanOut(ListCapacity(free.position)), take);
        }
        free.serial = serial->rows.front().at(0).value_or("");
        free.position = static_cast<uint64_t>(*position);
        return std::nullopt;
    }
    std::optional<std::string> serial = serialAt_(sequence_.firstSerial, free.position);
    if (!serial) {
        return RanOut(TakeResult::RunOut,
                      "the sequence \"" + sequence_.name + "\" has no serial left", take);
    }
    free.serial = *serial;
    return std::nullopt;
}

std::optional<SqlLedger::Step> SqlLedger::FromPeriod(int count, std::vector<std::string>& serials,
                                                     std::string& period, SerialTake& take) {
    // Read under the sequence's row lock: the takes and leases see the periods in the order they
    // take.
    const auto now = LedgerNow(*session_, options_.clock);
    if (!now) {
        return TakeFailed(now.Err(), take);
    }
    const auto counted =
        ReadPeriod(*session_, sequence_.name, *rules_.format, rules_.offsetMinutes, *now);
    if (!counted) {
        return TakeFailed(counted.Err(), take);
    }
    // The production core's rules, told the period's last serial: the same serials, and the same
    // words when the period has run out, as a single station's batch.
    FormatScheme scheme(*rules_.format, rules_.offsetMinutes, [at = *now] { return at; });
    if (counted->last > 0) {
        scheme.MarkUsed(Expand(*rules_.format, counted->date, counted->last));
    }
    period = counted->period;
    for (int i = 0; i < count; i++) {
        const SchemeNext next = scheme.Next();
        if (next.kind != SchemeNext::Kind::Serial) {
            if (!serials.empty()) {
                break;
            }
            return RanOut(
                next.kind == SchemeNext::Kind::PeriodFull ? TakeResult::NotYet : TakeResult::RunOut,
                next.message, take);
        }
        serials.push_back(next.serial);
        scheme.MarkUsed(next.serial);
    }
    odbc::Answer written = session_->Run(
        counted->stored ? statements::kUpdatePeriod : statements::kInsertPeriod,
        {static_cast<int64_t>(counted->last + serials.size()), sequence_.name, counted->period});
    if (!written) {
        return TakeFailed(written.Err(), take);
    }
    return std::nullopt;
}

std::optional<SqlLedger::Step> SqlLedger::NextInPeriod(FreeTake& free, SerialTake& take) {
    std::vector<std::string> serials;
    std::string period;
    if (std::optional<Step> ended = FromPeriod(1, serials, period, take)) {
        return ended;
    }
    free.serial = serials.front();
    return std::nullopt;
}

std::optional<SqlLedger::Step> SqlLedger::MarkListSerial(const char* state, uint64_t position,
                                                         SerialTake& take) {
    if (rules_.scheme != SequenceScheme::List) {
        return std::nullopt;
    }
    odbc::Answer marked =
        session_->Run(statements::kMarkListSerial,
                      {std::string(state), sequence_.name, static_cast<int64_t>(position)});
    if (!marked) {
        return TakeFailed(marked.Err(), take);
    }
    return std::nullopt;
}

std::optional<SqlLedger::Step> SqlLedger::FreeSerial(const LedgerEntry& started, FreeTake& free,
                                                     SerialTake& take) {
    for (;;) {
        if (const std::optional<Step> stop = Advance(1, free.position, take)) {
            return stop;
        }
        if (const std::optional<Step> stop = Candidate(free, take)) {
            return stop;
        }
        const std::string& serial = free.serial;
        // A list's serial is checked whole, as a single write checks it: a row inserted by hand
        // with a space or a control character is refused on record and never reaches a chip.
        if (rules_.scheme == SequenceScheme::List) {
            if (const Status checked = CheckSerial(serial); !checked) {
                if (std::optional<Step> failed = SkipOnRecord(
                        started, free, "not used: the list's serial " + checked.Err().message,
                        "refused", take)) {
                    return failed;
                }
                continue;
            }
        }
        // Asked only once the database has refused a serial as used: the common take keeps its
        // row lock for no more statements than it needs.
        if (!checkUsed_) {
            return std::nullopt;
        }
        odbc::Answer used =
            session_->Run(kUsedElsewhere, {sequence_.vid, sequence_.pid, serial, sequence_.name});
        if (!used) {
            return TakeFailed(used.Err(), take);
        }
        if (used->rows.empty()) {
            return std::nullopt;
        }
        free.skippedAny = true;
        if (std::optional<Step> failed =
                SkipOnRecord(started, free,
                             "not used: sequence \"" + used->rows.front().at(0).value_or("") +
                                 "\" of the same VID and PID has used it",
                             "skipped", take)) {
            return failed;
        }
    }
}

// Skipped, on record, and the next one tried, all in the take's one transaction.
std::optional<SqlLedger::Step> SqlLedger::SkipOnRecord(const LedgerEntry& started,
                                                       const FreeTake& free,
                                                       const std::string& status, const char* state,
                                                       SerialTake& take) {
    LedgerEntry skipped = started;
    skipped.serial = free.serial;
    skipped.outcome = BatchOutcome::Failed;
    skipped.status = status;
    odbc::Answer noted = InsertRecord(RecordKey(nextTicket_++), skipped);
    if (!noted) {
        return TakeFailed(noted.Err(), take);
    }
    return MarkListSerial(state, free.position, take);
}

std::optional<SqlLedger::Step> SqlLedger::CommitTake(SerialTake& take,
                                                     const std::function<void()>& keepUnsettled) {
    const auto committed = session_->Commit();
    if (committed) {
        MarkAnswered();
        return std::nullopt;
    }
    session_->Rollback();
    if (committed.Err().connectionLost) {
        MarkLost(committed.Err());
        keepUnsettled();
        return Step::Lost;
    }
    // The server answered: nothing of it landed.
    return TakeFailed(committed.Err(), take);
}

SqlLedger::Step SqlLedger::TryTake(const LedgerEntry& chip, SerialTake& take) {
    if (unsettled_) {
        if (const Step settled = Settle(); settled != Step::Done) {
            take.message = "the ledger could not settle an earlier take: " + lastFailure_;
            return settled;
        }
    }
    LedgerEntry started = chip;
    started.outcome = BatchOutcome::Started;
    started.status.clear();
    started.time = UtcNow();
    if (started.station.empty()) {
        started.station = station_;
    }
    FreeTake free;
    if (const std::optional<Step> stop = FreeSerial(started, free, take)) {
        return *stop;
    }

    started.serial = free.serial;
    odbc::Answer claimed = session_->Run(
        layout::SpellTimestamp(kInsertSerial, session_->DatabaseEngine()),
        {sequence_.name, free.serial, static_cast<int64_t>(free.position), sequence_.vid,
         sequence_.pid, started.station, started.time, layout::TimestampText(started.time)});
    if (!claimed) {
        return TakeFailed(claimed.Err(), take);
    }
    if (std::optional<Step> failed = MarkListSerial("used", free.position, take)) {
        return *failed;
    }
    const uint64_t ticket = nextTicket_++;
    odbc::Answer recorded = InsertRecord(RecordKey(ticket), started);
    if (!recorded) {
        return TakeFailed(recorded.Err(), take);
    }
    // It may or may not land when the answer is lost: settled by its key once the connection is
    // back, and never written to a chip either way.
    if (std::optional<Step> ended = CommitTake(take, [&] {
            unsettled_ = Unsettled{ticket, started};
        })) {
        return *ended;
    }
    // Kept on while takes still meet used serials (two sequences running over one range).
    checkUsed_ = free.skippedAny;
    take.result = TakeResult::Taken;
    take.serial = free.serial;
    take.message.clear();
    std::lock_guard<std::mutex> board(boardMutex_);
    lastRecorded_ = free.serial;
    return Step::Done;
}

SerialTake SqlLedger::TakeSerial(const LedgerEntry& chip) {
    if (options_.lease > 0 && options_.journal != nullptr) {
        return TakeFromJournal(chip);
    }
    Lock lock(mutex_);
    if (options_.lease > 0) {
        SerialTake take = TakeLeasedSerial(lock, chip);
        Unlock(lock);
        return take;
    }
    SerialTake take;
    int duplicates = 0;
    for (;;) {
        if (!WaitForConnection(lock)) {
            take.message = Unreachable(lastFailure_);
            break;
        }
        const Step step = TryTake(chip, take);
        if (step == Step::Done || step == Step::Failed) {
            break;
        }
        // A serial another sequence's station took in the same moment is seen as used on the
        // next try; the same refusal again and again means this sequence was moved back.
        if (step == Step::Duplicate && ++duplicates >= kTakeAttempts) {
            break;
        }
        if (step == Step::Retry && !Pause(lock)) {
            take.message = NotAnswering(lastFailure_);
            break;
        }
        // A link that connects again at once but loses every statement: the bound still holds.
        if (step == Step::Lost && PastBound()) {
            take.message = Unreachable(lastFailure_);
            break;
        }
    }
    Unlock(lock);
    return take;
}
Status SqlLedger::Record(const LedgerEntry& entry) {
    const uint64_t ticket = nextTicket_++;
    Pending pending{ticket, RecordKey(ticket), entry};
    if (pending.entry.time.empty()) {
        pending.entry.time = UtcNow();
    }
    if (pending.entry.station.empty()) {
        pending.entry.station = station_;
    }
    if (options_.journal != nullptr) {
        // On disk in the journal: recorded for the batch, and in the database when it answers.
        return KeepForSender(std::move(pending));
    }
    Lock lock(mutex_);
    if (entry.outcome == BatchOutcome::Verified && !entry.serial.empty()) {
        std::lock_guard<std::mutex> board(boardMutex_);
        verified_.insert(entry.serial);
    }
    pending_.push_back(std::move(pending));
    const bool written = WaitWritten(lock, ticket);
    const bool refused = refused_.erase(ticket) > 0;
    Status recorded;
    if (refused) {
        recorded = Fail("the ledger's database refused the record: " + lastFailure_);
    } else if (!written) {
        recorded =
            Fail(session_->Connected() ? NotAnswering(lastFailure_) : Unreachable(lastFailure_));
    }
    Unlock(lock);
    return recorded;
}

bool SqlLedger::WaitWritten(Lock& lock, uint64_t ticket) {
    // Written in order, after whatever was kept before it; a failure that may pass (a deadlock,
    // a lock held past its limit) is tried again within the bound, like a lost connection.
    auto written = [&] { return pending_.empty() || pending_.front().ticket > ticket; };
    while (!written() && WaitForConnection(lock)) {
        FlushPending();
        if (!written() && (session_->Connected() ? !Pause(lock) : PastBound())) {
            break;
        }
    }
    return written();
}

Result<bool> SqlLedger::WasVerified(const std::string& serial) {
    {
        std::lock_guard<std::mutex> board(boardMutex_);
        if (verified_.count(serial) > 0) {
            return true;
        }
    }
    Lock lock(mutex_);
    // Only a clear answer counts: a board whose history cannot be read is left alone, not given
    // a second serial.
    std::optional<Result<bool>> answer;
    while (!answer) {
        if (!WaitForConnection(lock)) {
            answer = Fail(Unreachable(lastFailure_));
            break;
        }
        odbc::Answer counted = session_->Run(
            kCountVerified,
            {sequence_.name, serial, std::string(OutcomeWord(BatchOutcome::Verified))});
        session_->Rollback();  // ends the read's transaction
        if (counted) {
            if (const std::optional<int64_t> count = NumberAt(counted)) {
                MarkAnswered();
                answer = *count > 0;
            } else {
                answer = Fail("the ledger's count of " + serial + " is not a number");
            }
        } else if (counted.Err().connectionLost) {
            MarkLost(counted.Err());
            if (PastBound()) {
                answer = Fail(Unreachable(lastFailure_));
            }
        } else if (!odbc::IsRetryable(counted.Err())) {
            answer = Fail("the ledger could not say whether " + serial +
                          " was verified: " + counted.Err().message);
        } else {
            NoteFailure(counted.Err());
            if (!Pause(lock)) {
                answer = Fail(NotAnswering(lastFailure_));
            }
        }
    }
    Unlock(lock);
    return std::move(*answer);
}

Result<std::optional<std::string>> SqlLedger::NextSerial() {
    {
        std::lock_guard<std::mutex> board(boardMutex_);
        if (!leased_.empty()) {
            return std::optional<std::string>(leased_.front().serial);
        }
    }
    Lock lock(mutex_);
    Result<std::optional<std::string>> answer = Fail("the ledger did not answer");
    while (WaitForConnection(lock)) {
        const Result<std::string, odbc::Failure> next = ReadNextSerial();
        session_->Rollback();
        if (next) {
            answer = next->empty() ? std::optional<std::string>() : std::optional(*next);
            break;
        }
        answer = Fail(next.Err().message);
        if (!next.Err().connectionLost) {
            break;
        }
        MarkLost(next.Err());
        if (PastBound()) {
            break;
        }
    }
    Unlock(lock);
    return answer;
}

std::string SqlLedger::LastRecordedSerial() {
    std::lock_guard<std::mutex> board(boardMutex_);
    return lastRecorded_;
}

std::vector<std::string> SqlLedger::UnrecordedSerials() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> serials = refusedSerials_;
    if (unsettled_) {
        serials.push_back(unsettled_->started.serial);
    }
    std::lock_guard<std::mutex> board(boardMutex_);
    for (const std::deque<Pending>* queue : {&pending_, &outbox_}) {
        for (const Pending& pending : *queue) {
            if (!pending.entry.serial.empty() &&
                std::find(serials.begin(), serials.end(), pending.entry.serial) == serials.end()) {
                serials.push_back(pending.entry.serial);
            }
        }
    }
    return serials;
}
