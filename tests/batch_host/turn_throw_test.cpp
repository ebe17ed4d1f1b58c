// The batch's workers against the stand-in driver's chips, in this process: a throw that escapes
// a chip's turn (here from the news of its own failure) ends that chip as failed on record and
// stops the batch, never the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <mutex>
#include <stdexcept>

#include "batch.h"
#include "batch_workers.h"
#include "exit_codes.h"
#include "log_ledger.h"
#include "memory_record_store.h"
#include "scoped_win.h"
#include "serial_sequence.h"
#include "sim_control_client.h"
#include "sim_ports.h"

namespace {

// Every piece of news about a chip throws, as a program's faulty display would.
class ThrowingObserver : public BatchObserver {
public:
    void ChipPhaseChanged(const std::string&, ChipPhase) override {
        throw std::runtime_error("display fault");
    }
    void ChipDone(const ChipReport&) override { throw std::runtime_error("display fault"); }
    void ChipLeftAlone(const std::string&) override {}
    void Stopping(const std::string& why) override {
        std::lock_guard<std::mutex> hold(mutex);
        reasons.push_back(why);
    }
    std::mutex mutex;
    std::vector<std::string> reasons;
};

TEST(BatchWorkers, ATurnThatThrowsEndsItsChipAsFailedOnRecordAndStopsTheBatch) {
    SimControl sim;
    ASSERT_TRUE(sim.IsOpen()) << "no control device: scripts/sim-driver.sh start";
    ASSERT_TRUE(sim.ResetDefaultPorts());
    MemoryRecordStore store;
    LogLedger ledger(store, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    BatchSettings settings;
    settings.identity.vendorId = 0x2E1B;
    settings.identity.productId = 0x6C04;
    settings.ports = {kChipA};
    ThrowingObserver observer;
    Batch batch(settings, ledger, observer);
    win32::AutoCloseHandle wake(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    // A batch that never stops is stopped as Ctrl+C would, so the test ends either way.
    ULONGLONG deadline = GetTickCount64() + 15000;
    RunBatchWorkers(batch, wake.Get(), [&] { return GetTickCount64() > deadline; });

    EXPECT_EQ(batch.ExitCode(), EXIT_FAILED);
    ASSERT_EQ(observer.reasons.size(), 1u);
    EXPECT_EQ(observer.reasons[0].rfind("internal error on COM21 (display fault)", 0), 0u)
        << observer.reasons[0];
    std::vector<LedgerEntry> records = store.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].port, kChipA);
    EXPECT_EQ(records[0].outcome, BatchOutcome::Failed);
    EXPECT_EQ(records[0].serial, "") << "no serial was taken, none is used";
    sim.ResetDefaultPorts();
}

}  // namespace
