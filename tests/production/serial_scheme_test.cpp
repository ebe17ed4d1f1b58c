// A log batch on a format and on a list: resumed from the log's used serials, a period's counter
// used up and started again in the next period (a clock of the test's own, never a sleep), a list
// read in order and used up.
#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "batch.h"
#include "config_jobs.h"
#include "exit_codes.h"
#include "format_scheme.h"
#include "in_process_chips.h"
#include "list_scheme.h"
#include "log_ledger.h"
#include "memory_record_store.h"
#include "record_text.h"

namespace {

using namespace std::chrono;

LedgerEntry Used(const std::string& serial, BatchOutcome outcome = BatchOutcome::Started) {
    LedgerEntry entry;
    entry.serial = serial;
    entry.outcome = outcome;
    return entry;
}

// The test's clock: moved on by the test alone.
struct TestClock {
    std::atomic<system_clock::rep> ticks{0};
    void Set(sys_days day, hours hour = hours(12)) {
        ticks = system_clock::time_point(day + hour).time_since_epoch().count();
    }
    SerialClock Clock() {
        return [this] { return system_clock::time_point(system_clock::duration(ticks.load())); };
    }
};

std::unique_ptr<SerialScheme> Weekly(TestClock& clock, const char* text = "ZQ{YY}{WW}{N:2}") {
    return std::make_unique<FormatScheme>(*ParseSerialFormat(text), 0, clock.Clock());
}

std::vector<std::string> Take(LogLedger& ledger, int count) {
    std::vector<std::string> serials;
    for (int i = 0; i < count; i++) {
        SerialTake take = ledger.TakeSerial(LedgerEntry());
        serials.push_back(take.result == TakeResult::Taken ? take.serial : take.message);
    }
    return serials;
}

TEST(FormatScheme, ResumesInThePeriodAndStartsAgainInTheNext) {
    TestClock clock;
    clock.Set(year{2026} / December / 30);  // week 53 of 2026
    // ZQ265398's started line was lost (a torn append) but its outcome is on record: it is used.
    MemoryRecordStore store({Used("ZQ265397"), Used("ZQ265395"),
                             Used("ZQ265398", BatchOutcome::Verified), Used("ZQ265299"),
                             Used("XX265399")});
    LogLedger ledger(store, Weekly(clock));
    ASSERT_TRUE(ledger.Open());
    EXPECT_EQ(ledger.ResumedAfter(), "ZQ265398")
        << "the highest serial on record of this period, of this format";
    std::vector<std::string> taken = Take(ledger, 2);
    EXPECT_EQ(taken[0], "ZQ265399");
    EXPECT_EQ(taken[1],
              "the serials of week 2026-W53 have run out (99 per week, the last ZQ265399): no "
              "board starts until the next week");
    SerialTake full = ledger.TakeSerial(LedgerEntry());
    EXPECT_EQ(full.result, TakeResult::NotYet) << "a new week brings more";

    clock.Set(year{2027} / January / 3, hours(23));  // Sunday: still week 53
    EXPECT_EQ(ledger.TakeSerial(LedgerEntry()).result, TakeResult::NotYet);
    clock.Set(year{2027} / January / 4, hours(0));
    EXPECT_EQ(Take(ledger, 2), (std::vector<std::string>{"ZQ270101", "ZQ270102"}));

    // Restarted in the new week: its own serials are skipped, the old week's do not matter.
    LogLedger again(store, Weekly(clock));
    ASSERT_TRUE(again.Open());
    EXPECT_EQ(*again.NextSerial(), "ZQ270103");
}

TEST(ListScheme, TakesTheFirstSerialTheLogHasNotUsedUntilTheListIsUsedUp) {
    const std::vector<std::string> list = {"L1", "L2", "L3", "L4", "L5"};
    MemoryRecordStore store(
        {Used("L3"), Used("L1"), Used("L9"), Used("L2", BatchOutcome::Verified)});
    LogLedger ledger(store, std::make_unique<ListScheme>(list));
    ASSERT_TRUE(ledger.Open());
    EXPECT_EQ(ledger.ResumedAfter(), "L3");
    std::vector<std::string> taken = Take(ledger, 3);
    EXPECT_EQ(taken[0], "L4") << "an outcome on record uses its serial, started line or not";
    EXPECT_EQ(taken[1], "L5");
    EXPECT_EQ(taken[2],
              "the serials have run out: every serial of the list (5 in the list) is used");
    LogLedger spent(store, std::make_unique<ListScheme>(list));
    EXPECT_FALSE(spent.Open()) << "a list used up refuses to start";
}

class Observer : public BatchObserver {
public:
    void ChipPhaseChanged(const std::string&, ChipPhase) override {}
    void ChipDone(const ChipReport&) override {}
    void ChipLeftAlone(const std::string&) override {}
    void Stopping(const std::string&) override {}
    void SerialsWaiting(const std::string& why) override {
        waits++;
        waiting.set_value(why);
    }
    std::promise<std::string> waiting;
    std::atomic<int> waits{0};
};

// A week's counter used up: the board on the port waits, the batch says so once, and the board
// is programmed once the next week begins; stopped while it waits, the batch exits as one
// whose serials ran out.
TEST(FormatBatch, ABoardWaitsForTheNextPeriodAndAStopThenExitsAsRunOut) {
    ChipIdentity identity;
    identity.vendorId = 0x2E1B;
    identity.productId = 0x6C04;
    identity.product = u"p";
    BatchSettings settings{identity, 0, "", {}, milliseconds(1), nullptr, ""};
    for (bool stopWhileWaiting : {false, true}) {
        TestClock clock;
        clock.Set(year{2026} / December / 30);
        MemoryRecordStore store({Used("ZQ265399")});
        LogLedger ledger(store, Weekly(clock));
        ASSERT_TRUE(ledger.Open());
        Observer observer;
        std::future<std::string> waiting = observer.waiting.get_future();
        Batch batch(settings, ledger, observer);
        InProcessChips chips;
        chips.Chip("COM1");
        std::future<void> worker =
            std::async(std::launch::async, [&] { batch.ProgramChip("COM1", chips); });
        // Bounded waits, so that a batch that never waits, or waits for ever, fails the test.
        bool said = waiting.wait_for(seconds(10)) == std::future_status::ready;
        ASSERT_TRUE(said || worker.wait_for(seconds(0)) == std::future_status::ready);
        EXPECT_TRUE(said &&
                    waiting.get().find("no board starts until the next week") != std::string::npos);
        if (stopWhileWaiting) {
            batch.Stop("", EXIT_INTERRUPTED);
        } else {
            clock.Set(year{2027} / January / 4);
        }
        bool ended = worker.wait_for(seconds(10)) == std::future_status::ready;
        EXPECT_TRUE(ended) << "the board still waits";
        if (!ended) {
            batch.Stop("", EXIT_INTERRUPTED);
        }
        worker.get();
        EXPECT_EQ(observer.waits, 1);
        RecordPtr held = NewRecord();
        ReadChip(chips.Chip("COM1"), *held);
        if (stopWhileWaiting) {
            EXPECT_EQ(batch.ExitCode(), EXIT_FAILED);
            EXPECT_EQ(store.Records().size(), 1u) << "nothing taken";
        } else {
            EXPECT_EQ(SerialText(*held).value_or(""), "ZQ270101");
            EXPECT_EQ(batch.ExitCode(), EXIT_DONE);
        }
    }
}

}  // namespace
