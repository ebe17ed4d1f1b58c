// The batch's workers against the stand-in driver's chips, in this process: a throw that escapes
// a chip's turn (here from the news of its own failure) ends that chip as failed on record and
// stops the batch, never the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>

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

// A fault outside any chip's turn (here the news of the second chip port, as memory running out
// would throw it) stops the batch as failed; the turn already under way finishes and is joined,
// and the workers return instead of ending the program.
TEST(BatchWorkers, AFaultOutsideATurnStopsTheBatchAndLetsTheTurnInProgressFinish) {
    SimControl sim;
    ASSERT_TRUE(sim.IsOpen()) << "no control device: scripts/sim-driver.sh start";
    ASSERT_TRUE(sim.ResetDefaultPorts());
    std::atomic<bool> stopping{false};
    std::atomic<int> turnsEnded{0};
    std::vector<std::pair<std::string, int>> stops;
    ChipTurns turns;
    turns.stopping = [&] { return stopping.load(); };
    turns.takes = [](const std::string&) { return true; };
    turns.turn = [&](const std::string&, ChipOpener&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        turnsEnded++;
    };
    turns.stop = [&](const std::string& reason, int exitCode) {
        stops.emplace_back(reason, exitCode);
        stopping = true;
    };
    PortEvents events;
    int chipPorts = 0;
    events.chipPort = [&](const std::string&, const std::vector<std::string>&) {
        if (++chipPorts == 2) {
            throw std::bad_alloc();
        }
    };
    win32::AutoCloseHandle wake(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ULONGLONG deadline = GetTickCount64() + 15000;
    RunChipWorkers(
        turns, wake.Get(), [&] { return GetTickCount64() > deadline; }, events);

    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(stops[0].second, EXIT_FAILED);
    EXPECT_EQ(stops[0].first.rfind("internal error outside a chip's turn (", 0), 0u)
        << stops[0].first;
    EXPECT_EQ(turnsEnded, 1) << "the first chip's turn finished before the workers returned";
}

}  // namespace
