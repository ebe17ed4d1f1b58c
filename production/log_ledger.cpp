#include "log_ledger.h"

#include "counting_scheme.h"
#include "utc_time.h"

LogLedger::LogLedger(RecordStore& store, std::unique_ptr<SerialScheme> serials)
    : store_(store), serials_(std::move(serials)) {}

LogLedger::LogLedger(RecordStore& store, SerialSequence first)
    : LogLedger(store, std::make_unique<CountingScheme>(std::move(first))) {}

Status LogLedger::Open() {
    Result<std::vector<LedgerEntry>> records = store_.Load();
    if (!records) {
        return Fail(records.Err());
    }
    std::lock_guard<std::mutex> hold(mutex_);
    for (const LedgerEntry& record : *records) {
        if (record.serial.empty()) {
            continue;
        }
        if (record.outcome == BatchOutcome::Verified) {
            verified_.insert(record.serial);
        }
        // Every record of a serial counts, not only `started`: a started line torn by a failed
        // append may be gone while the serial's outcome is there.
        serials_->MarkUsed(record.serial);
        lastRecorded_ = record.serial;
    }
    resumedAfter_ = serials_->ResumedAfter();
    SchemeNext next = serials_->Next();
    if (next.kind == SchemeNext::Kind::RunOut) {
        return Fail(next.message);
    }
    return {};
}

Status LogLedger::AppendLocked(LedgerEntry entry) {
    if (entry.time.empty()) {
        entry.time = UtcNow();
    }
    if (Status appended = store_.Append(entry); !appended) {
        return appended;
    }
    if (!entry.serial.empty()) {
        lastRecorded_ = entry.serial;
    }
    return {};
}

SerialTake LogLedger::TakeSerial(const LedgerEntry& chip) {
    std::lock_guard<std::mutex> hold(mutex_);
    SerialTake take;
    SchemeNext next = serials_->Next();
    if (next.kind != SchemeNext::Kind::Serial) {
        take.result =
            next.kind == SchemeNext::Kind::PeriodFull ? TakeResult::NotYet : TakeResult::RunOut;
        take.message = next.message;
        return take;
    }
    LedgerEntry started = chip;
    started.serial = next.serial;
    started.outcome = BatchOutcome::Started;
    started.status.clear();
    // Used whatever the append did: a line that may have reached the disk in part must not hand
    // its serial to the next chip.
    serials_->MarkUsed(started.serial);
    if (!AppendLocked(started)) {
        take.result = TakeResult::NotRecorded;
        take.message = "cannot record " + started.serial + " as started";
        return take;
    }
    take.result = TakeResult::Taken;
    take.serial = started.serial;
    return take;
}

Status LogLedger::Record(const LedgerEntry& entry) {
    std::lock_guard<std::mutex> hold(mutex_);
    if (Status appended = AppendLocked(entry); !appended) {
        if (!entry.serial.empty()) {
            unrecorded_.push_back(entry.serial);
        }
        return appended;
    }
    if (entry.outcome == BatchOutcome::Verified && !entry.serial.empty()) {
        verified_.insert(entry.serial);
    }
    return {};
}

Result<bool> LogLedger::WasVerified(const std::string& serial) {
    std::lock_guard<std::mutex> hold(mutex_);
    return verified_.count(serial) > 0;
}

Result<std::optional<std::string>> LogLedger::NextSerial() {
    std::lock_guard<std::mutex> hold(mutex_);
    SchemeNext next = serials_->Next();
    if (next.kind != SchemeNext::Kind::Serial) {
        return std::optional<std::string>();
    }
    return std::optional<std::string>(next.serial);
}

std::string LogLedger::LastRecordedSerial() {
    std::lock_guard<std::mutex> hold(mutex_);
    return lastRecorded_;
}

std::vector<std::string> LogLedger::UnrecordedSerials() {
    std::lock_guard<std::mutex> hold(mutex_);
    return unrecorded_;
}
