// A single station's ledger: its records in a store (the CSV log), its serials from a scheme told
// of every serial the records have used, so that a restart with the same log never hands a
// serial out twice.
#pragma once

#include <memory>
#include <mutex>
#include <set>

#include "ledger.h"
#include "record_store.h"
#include "serial_scheme.h"
#include "serial_sequence.h"

class LogLedger : public Ledger {
public:
    LogLedger(RecordStore& store, std::unique_ptr<SerialScheme> serials);
    // Serials counted up from first (--serial-from).
    LogLedger(RecordStore& store, SerialSequence first);

    // Loads the records and tells the scheme every serial they have used. Fails with why the
    // batch cannot start (nothing has been taken).
    Status Open();
    // The serial the batch goes on after, when the records had used the scheme's; "" otherwise.
    const std::string& ResumedAfter() const { return resumedAfter_; }

    SerialTake TakeSerial(const LedgerEntry& chip) override;
    Status Record(const LedgerEntry& entry) override;
    Result<bool> WasVerified(const std::string& serial) override;
    Result<std::optional<std::string>> NextSerial() override;
    std::string LastRecordedSerial() override;
    std::vector<std::string> UnrecordedSerials() override;

private:
    Status AppendLocked(LedgerEntry entry);

    RecordStore& store_;
    std::mutex mutex_;  // everything below, and the store's appends
    std::unique_ptr<SerialScheme> serials_;
    std::string resumedAfter_;
    std::set<std::string> verified_;
    std::string lastRecorded_;
    std::vector<std::string> unrecorded_;
};
