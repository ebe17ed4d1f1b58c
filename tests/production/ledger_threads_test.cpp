// One ledger, many workers: what a hub of boards does to it, under ThreadSanitizer in the
// native-tsan preset. No serial is handed out twice and every count is exact.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <thread>

#include "log_ledger.h"
#include "memory_record_store.h"

namespace {

TEST(LedgerThreads, WorkersTakingRecordingAndAskingNeverShareASerial) {
    constexpr int kWorkers = 6;
    constexpr int kChipsEach = 150;
    MemoryRecordStore store;
    LogLedger ledger(store, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    std::vector<std::thread> workers;
    for (int w = 0; w < kWorkers; w++) {
        workers.emplace_back([&ledger, w] {
            LedgerEntry chip;
            chip.port = "COM" + std::to_string(w);
            std::string previous;
            for (int i = 0; i < kChipsEach; i++) {
                // A board plugged again is checked while the others record.
                if (!previous.empty()) {
                    EXPECT_TRUE(ledger.WasVerified(previous).Ok());
                }
                SerialTake take = ledger.TakeSerial(chip);
                ASSERT_EQ(take.result, TakeResult::Taken);
                LedgerEntry outcome = chip;
                outcome.serial = take.serial;
                outcome.outcome = i % 3 == 0 ? BatchOutcome::Failed : BatchOutcome::Verified;
                ASSERT_TRUE(ledger.Record(outcome));
                previous = take.serial;
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    std::set<std::string> started;
    std::map<BatchOutcome, int> outcomes;
    for (const LedgerEntry& record : store.Records()) {
        if (record.outcome == BatchOutcome::Started) {
            EXPECT_TRUE(started.insert(record.serial).second) << record.serial << " twice";
        }
        outcomes[record.outcome]++;
    }
    EXPECT_EQ(started.size(), size_t{kWorkers * kChipsEach});
    EXPECT_EQ(outcomes[BatchOutcome::Verified], kWorkers * (kChipsEach - kChipsEach / 3));
    EXPECT_EQ(outcomes[BatchOutcome::Failed], kWorkers * (kChipsEach / 3));
    EXPECT_EQ(*ledger.NextSerial(), "ZQ000901");
    for (const std::string& serial : started) {
        if (*ledger.WasVerified(serial)) {
            outcomes[BatchOutcome::Started]--;
        }
    }
    EXPECT_EQ(outcomes[BatchOutcome::Started], kWorkers * (kChipsEach / 3))
        << "exactly the failed serials are not verified";
}

}  // namespace
