#include "sql_ledger.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <thread>

#include "ledger_layout.h"
#include "ledger_text.h"
#include "utc_time.h"

namespace {

// Deadlocks and serialisation failures are the server's to resolve; a take tries again a few
// times before it gives up.
constexpr int kTakeAttempts = 5;

const char* kAdvance = "UPDATE zq_sequences SET next_position = next_position + 1 WHERE name = ?";
const char* kPosition = "SELECT next_position FROM zq_sequences WHERE name = ?";
const char* kInsertSerial =
    "INSERT INTO zq_serials (sequence_name, serial, serial_position, station, taken_at) "
    "VALUES (?, ?, ?, ?, ?)";
const char* kInsertRecord =
    "INSERT INTO zq_records (record_key, sequence_name, recorded_at, station, port, serial, vid, "
    "pid, product, locked, outcome, status_text) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
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

std::string Unreachable(const std::string& lastFailure) {
    return "the ledger's database is unreachable" +
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

LedgerResult<std::unique_ptr<SqlLedger>> SqlLedger::Open(const std::string& connection,
                                                         const std::string& sequence,
                                                         const std::string& station,
                                                         SerialAt serialAt,
                                                         SqlLedgerOptions options) {
    LedgerResult<std::unique_ptr<SqlLedger>> result;
    std::unique_ptr<SqlLedger> ledger(
        new SqlLedger(connection, station, std::move(serialAt), std::move(options)));
    odbc::Session& session = ledger->session_;
    if (const auto failure = session.Connect(connection, ledger->options_.loginTimeoutSeconds)) {
        result.error = "could not connect to the ledger's database: " + failure->message;
        return result;
    }
    if ((result.error = layout::CheckLayout(session)) != "") {
        return result;
    }
    layout::SequenceFound found = layout::FindSequence(session, sequence);
    if (found.failure) {
        result.error = "could not read the sequence: " + found.failure->message;
        return result;
    }
    if (!found.definition) {
        result.error = "the ledger holds no sequence \"" + sequence + "\"";
        return result;
    }
    ledger->sequence_ = *found.definition;
    result.value = std::move(ledger);
    return result;
}

bool SqlLedger::PastBound() const {
    return lost_ && std::chrono::steady_clock::now() - lostSince_ >= options_.reconnectBound;
}

void SqlLedger::MarkLost(const odbc::Failure& failure) {
    session_.Disconnect();
    lastFailure_ = failure.message;
    if (!lost_) {
        lost_ = true;
        lostSince_ = std::chrono::steady_clock::now();
        notices_.push_back(false);
    }
}

bool SqlLedger::TryConnect() {
    if (session_.Connected()) {
        return true;
    }
    if (const auto failure = session_.Connect(connection_, options_.loginTimeoutSeconds)) {
        // Still unreachable: the bound keeps running from when the loss was first noticed.
        MarkLost(*failure);
        return false;
    }
    if (lost_) {
        lost_ = false;
        notices_.push_back(true);
    }
    FlushPending();
    return session_.Connected();
}

bool SqlLedger::WaitForConnection(Lock& lock) {
    for (;;) {
        if (TryConnect()) {
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

odbc::Result SqlLedger::InsertRecord(uint64_t ticket, const LedgerEntry& entry) {
    return session_.Run(
        kInsertRecord,
        {recordKeyPrefix_ + std::to_string(ticket), sequence_.name, entry.time, entry.station,
         entry.port, entry.serial, entry.vid, entry.pid, entry.product, int64_t{entry.lock ? 1 : 0},
         std::string(OutcomeWord(entry.outcome)), entry.status});
}

void SqlLedger::FlushPending() {
    while (!pending_.empty() && session_.Connected()) {
        const Pending& next = pending_.front();
        odbc::Result inserted = InsertRecord(next.ticket, next.entry);
        std::optional<odbc::Failure> failure = inserted.failure;
        if (!failure) {
            failure = session_.Commit();
        } else if (odbc::IsDuplicate(*failure)) {
            // Its key is there: the commit that lost its answer had landed.
            session_.Rollback();
            failure.reset();
        }
        if (failure && failure->connectionLost) {
            MarkLost(*failure);
            return;
        }
        if (failure) {
            // The database refuses this record for good (a value it cannot hold): waiting
            // would not help, and it must not hold up the records behind it.
            session_.Rollback();
            lastFailure_ = failure->message;
            refused_.insert(next.ticket);
            if (!next.entry.serial.empty()) {
                refusedSerials_.push_back(next.entry.serial);
            }
        } else if (!next.entry.serial.empty()) {
            lastRecorded_ = next.entry.serial;
        }
        pending_.pop_front();
    }
}

SqlLedger::Step SqlLedger::TryTake(const LedgerEntry& chip, SerialTake& take) {
    auto failed = [&](const odbc::Failure& failure) {
        session_.Rollback();
        if (failure.connectionLost) {
            MarkLost(failure);
            return Step::Lost;
        }
        take.message = "the ledger could not take a serial: " + failure.message;
        return odbc::IsRetryable(failure) ? Step::Retry : Step::Failed;
    };
    // The row lock taken here holds every other station's take until this one commits.
    odbc::Result advanced = session_.Run(kAdvance, {sequence_.name});
    if (!advanced.Ok()) {
        return failed(*advanced.failure);
    }
    if (advanced.rowCount != 1) {
        session_.Rollback();
        take.message = "the ledger holds no sequence \"" + sequence_.name + "\" any more";
        return Step::Failed;
    }
    odbc::Result read = session_.Run(kPosition, {sequence_.name});
    if (!read.Ok()) {
        return failed(*read.failure);
    }
    const int64_t next = read.rows.empty() ? 0 : std::stoll(read.rows[0].at(0).value_or("0"));
    const uint64_t position = static_cast<uint64_t>(std::max<int64_t>(next - 1, 0));
    const std::optional<std::string> serial = serialAt_(sequence_.firstSerial, position);
    if (!serial) {
        session_.Rollback();
        take.result = TakeResult::RunOut;
        take.message = "the sequence \"" + sequence_.name + "\" has no serial left";
        return Step::Done;
    }

    LedgerEntry started = chip;
    started.serial = *serial;
    started.outcome = BatchOutcome::Started;
    started.status.clear();
    started.time = UtcNow();
    if (started.station.empty()) {
        started.station = station_;
    }
    odbc::Result claimed = session_.Run(
        kInsertSerial,
        {sequence_.name, *serial, static_cast<int64_t>(position), started.station, started.time});
    if (!claimed.Ok()) {
        return failed(*claimed.failure);
    }
    odbc::Result recorded = InsertRecord(nextTicket_++, started);
    if (!recorded.Ok()) {
        return failed(*recorded.failure);
    }
    if (const auto failure = session_.Commit()) {
        // The commit may or may not have reached the disk: the serial counts as used and is
        // never written to a chip.
        session_.Rollback();
        if (failure->connectionLost) {
            MarkLost(*failure);
        }
        take.message = "the ledger could not confirm that " + *serial + " was recorded (" +
                       failure->message + "): it is not used";
        return Step::Failed;
    }
    take.result = TakeResult::Taken;
    take.serial = *serial;
    take.message.clear();
    lastRecorded_ = *serial;
    return Step::Done;
}

SerialTake SqlLedger::TakeSerial(const LedgerEntry& chip) {
    Lock lock(mutex_);
    SerialTake take;
    for (int attempt = 1;; attempt++) {
        if (!WaitForConnection(lock)) {
            take.message = Unreachable(lastFailure_);
            break;
        }
        const Step step = TryTake(chip, take);
        if (step == Step::Done || step == Step::Failed ||
            (step == Step::Retry && attempt >= kTakeAttempts)) {
            break;
        }
    }
    Unlock(lock);
    return take;
}

bool SqlLedger::Record(const LedgerEntry& entry) {
    Lock lock(mutex_);
    Pending pending{nextTicket_++, entry};
    if (pending.entry.time.empty()) {
        pending.entry.time = UtcNow();
    }
    if (pending.entry.station.empty()) {
        pending.entry.station = station_;
    }
    if (entry.outcome == BatchOutcome::Verified && !entry.serial.empty()) {
        verified_.insert(entry.serial);
    }
    const uint64_t ticket = pending.ticket;
    pending_.push_back(std::move(pending));
    // Written in order, after whatever was kept before it.
    auto written = [&] { return pending_.empty() || pending_.front().ticket > ticket; };
    while (!written() && WaitForConnection(lock)) {
        FlushPending();
    }
    const bool refused = refused_.erase(ticket) > 0;
    const bool recorded = written() && !refused;
    Unlock(lock);
    return recorded;
}

bool SqlLedger::WasVerified(const std::string& serial) {
    Lock lock(mutex_);
    bool verified = verified_.count(serial) > 0;
    while (!verified && WaitForConnection(lock)) {
        odbc::Result counted = session_.Run(
            kCountVerified,
            {sequence_.name, serial, std::string(OutcomeWord(BatchOutcome::Verified))});
        session_.Rollback();  // ends the read's transaction
        if (counted.Ok()) {
            verified = !counted.rows.empty() && counted.rows[0].at(0).value_or("0") != "0";
            break;
        }
        if (!counted.failure->connectionLost) {
            lastFailure_ = counted.failure->message;
            break;
        }
        MarkLost(*counted.failure);
    }
    Unlock(lock);
    return verified;
}

std::string SqlLedger::NextSerial() {
    Lock lock(mutex_);
    std::string serial;
    while (WaitForConnection(lock)) {
        odbc::Result read = session_.Run(kPosition, {sequence_.name});
        session_.Rollback();
        if (read.Ok()) {
            if (!read.rows.empty()) {
                const int64_t next = std::stoll(read.rows[0].at(0).value_or("0"));
                serial = serialAt_(sequence_.firstSerial, static_cast<uint64_t>(next)).value_or("");
            }
            break;
        }
        if (!read.failure->connectionLost) {
            break;
        }
        MarkLost(*read.failure);
    }
    Unlock(lock);
    return serial;
}

std::string SqlLedger::LastRecordedSerial() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastRecorded_;
}

std::vector<std::string> SqlLedger::UnrecordedSerials() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> serials = refusedSerials_;
    for (const Pending& pending : pending_) {
        if (!pending.entry.serial.empty() &&
            std::find(serials.begin(), serials.end(), pending.entry.serial) == serials.end()) {
            serials.push_back(pending.entry.serial);
        }
    }
    return serials;
}
