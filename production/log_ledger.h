// A single station's ledger: its records in a store (the CSV log), its serials from a sequence
// counted on from the highest serial the records have used, so that a restart with the same log
// never hands a serial out twice.
#pragma once

#include <mutex>
#include <optional>
#include <set>

#include "ledger.h"
#include "record_store.h"
#include "serial_sequence.h"

class LogLedger : public Ledger {
public:
    LogLedger(RecordStore& store, SerialSequence first);

    // Loads the records and moves the sequence past every serial of it they have used. "" on
    // success, otherwise why the batch cannot start (nothing has been taken).
    std::string Open();
    // The highest serial of the sequence the records had used, when the sequence was moved past
    // it; "" otherwise.
    const std::string& ResumedAfter() const { return resumedAfter_; }

    SerialTake TakeSerial(const LedgerEntry& chip) override;
    bool Record(const LedgerEntry& entry) override;
    Result<bool> WasVerified(const std::string& serial) override;
    std::string NextSerial() override;
    std::string LastRecordedSerial() override;
    std::vector<std::string> UnrecordedSerials() override;

private:
    bool AppendLocked(LedgerEntry entry);

    RecordStore& store_;
    std::mutex lock_;  // everything below, and the store's appends
    SerialSequence serials_;
    bool serialsLeft_ = true;
    std::string resumedAfter_;
    std::set<std::string> verified_;
    std::string lastRecorded_;
    std::vector<std::string> unrecorded_;
};
