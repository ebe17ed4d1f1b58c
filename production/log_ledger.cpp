#include "log_ledger.h"

#include "utc_time.h"

LogLedger::LogLedger(RecordStore& store, SerialSequence first)
    : store_(store), serials_(std::move(first)) {}

std::string LogLedger::Open() {
    std::vector<LedgerEntry> records;
    std::string problem;
    if (!store_.Load(records, problem)) {
        return problem;
    }
    std::lock_guard<std::mutex> hold(lock_);
    std::optional<uint64_t> highest;
    std::string highestSerial;
    for (const LedgerEntry& record : records) {
        if (record.serial.empty()) {
            continue;
        }
        if (record.outcome == BatchOutcome::Verified) {
            verified_.insert(record.serial);
        }
        // Every record of a serial counts, not only `started`: a started line torn by a failed
        // append may be gone while the serial's outcome is there.
        std::optional<uint64_t> position = serials_.PositionOf(record.serial);
        if (position && (!highest || *position > *highest)) {
            highest = position;
            highestSerial = record.serial;
        }
        lastRecorded_ = record.serial;
    }
    // Serials before the first one asked for are another batch's business.
    if (!highest || *serials_.PositionOf(serials_.Current()) > *highest) {
        return "";
    }
    if (!serials_.SkipPast(*highest)) {
        return "the log has used " + highestSerial + ": no serial of this sequence is left";
    }
    resumedAfter_ = highestSerial;
    return "";
}

bool LogLedger::AppendLocked(LedgerEntry entry) {
    if (entry.time.empty()) {
        entry.time = UtcNow();
    }
    if (!store_.Append(entry)) {
        return false;
    }
    if (!entry.serial.empty()) {
        lastRecorded_ = entry.serial;
    }
    return true;
}

SerialTake LogLedger::TakeSerial(const LedgerEntry& chip) {
    std::lock_guard<std::mutex> hold(lock_);
    SerialTake take;
    if (!serialsLeft_) {
        take.result = TakeResult::RunOut;
        take.message = "the serials have run out: no serial follows " + serials_.Current();
        return take;
    }
    LedgerEntry started = chip;
    started.serial = serials_.Current();
    started.outcome = BatchOutcome::Started;
    started.status.clear();
    // Moved on whatever the append did: a line that may have reached the disk in part must not
    // hand its serial to the next chip.
    serialsLeft_ = serials_.Advance();
    if (!AppendLocked(started)) {
        take.result = TakeResult::NotRecorded;
        take.message = "cannot record " + started.serial + " as started";
        return take;
    }
    take.result = TakeResult::Taken;
    take.serial = started.serial;
    return take;
}

bool LogLedger::Record(const LedgerEntry& entry) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!AppendLocked(entry)) {
        if (!entry.serial.empty()) {
            unrecorded_.push_back(entry.serial);
        }
        return false;
    }
    if (entry.outcome == BatchOutcome::Verified && !entry.serial.empty()) {
        verified_.insert(entry.serial);
    }
    return true;
}

Result<bool> LogLedger::WasVerified(const std::string& serial) {
    std::lock_guard<std::mutex> hold(lock_);
    return verified_.count(serial) > 0;
}

std::string LogLedger::NextSerial() {
    std::lock_guard<std::mutex> hold(lock_);
    return serialsLeft_ ? serials_.Current() : "";
}

std::string LogLedger::LastRecordedSerial() {
    std::lock_guard<std::mutex> hold(lock_);
    return lastRecorded_;
}

std::vector<std::string> LogLedger::UnrecordedSerials() {
    std::lock_guard<std::mutex> hold(lock_);
    return unrecorded_;
}
