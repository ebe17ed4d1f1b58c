// A batch's decisions on the host: in-process chips behind port names, a ledger whose store can
// fail, real threads for the workers.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <latch>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#include "batch.h"
#include "chip_decision.h"
#include "config_jobs.h"
#include "exit_codes.h"
#include "identity_description.h"
#include "in_process_chips.h"
#include "log_ledger.h"
#include "memory_record_store.h"
#include "record_text.h"

namespace {

ChipIdentity BatchIdentity() {
    ChipIdentity identity;
    identity.vendorId = 0x2E1B;
    identity.productId = 0x6C04;
    identity.product = u"usb2.0 serial";
    return identity;
}

RecordPtr Built(const ChipIdentity& identity) {
    Result<RecordPtr> built = BuildRecord(identity);
    EXPECT_TRUE(built.Ok()) << built.Err().message;
    return built ? std::move(*built) : NewRecord();
}

TEST(ChipDecision, EachReadLeadsToItsStep) {
    ChipIdentity identity = BatchIdentity();
    // ZQ000003's history cannot be read: the ledger's query failed.
    auto verified = [](const std::string& serial) -> Result<bool> {
        if (serial == "ZQ000003") {
            return Fail("the query failed");
        }
        return serial == "ZQ000001";
    };
    ChipIdentity programmed = identity;
    programmed.serial = "ZQ000001";
    ChipIdentity unverified = identity;
    unverified.serial = "ZQ000002";
    ChipIdentity unanswered = identity;
    unanswered.serial = "ZQ000003";
    ChipIdentity otherProduct = programmed;
    otherProduct.product = u"usb2.0 serial!";
    ChipIdentity locked = programmed;
    locked.lock = true;
    struct Case {
        const char* what;
        JobOutcome read;
        RecordPtr held;
        ChipStep step;
        std::string serial;
    };
    Case cases[] = {
        {"read failed", JobOutcome::ReadFailed, Built(programmed), ChipStep::ReadFailed, ""},
        {"locked", JobOutcome::ReadOk, Built(locked), ChipStep::SkipLocked, ""},
        {"programmed, verified", JobOutcome::ReadOk, Built(programmed), ChipStep::SkipProgrammed,
         "ZQ000001"},
        {"serial never verified", JobOutcome::ReadOk, Built(unverified), ChipStep::Program, ""},
        // Left as it is, not given a second serial.
        {"history unanswered", JobOutcome::ReadOk, Built(unanswered), ChipStep::ReadFailed,
         "ZQ000003"},
        {"another product", JobOutcome::ReadOk, Built(otherProduct), ChipStep::Program, ""},
        {"blank", JobOutcome::ReadOk, NewRecord(), ChipStep::Program, ""},
    };
    for (const Case& c : cases) {
        ChipDecision decision = DecideAfterRead(c.read, *c.held, identity, verified);
        EXPECT_EQ(decision.step, c.step) << c.what;
        EXPECT_EQ(decision.serial, c.serial) << c.what;
    }
    EXPECT_NE(DecideAfterRead(JobOutcome::ReadOk, *Built(unanswered), identity, verified)
                  .status.find("cannot be answered (the query failed)"),
              std::string::npos);
}

TEST(ChipRecord, ASerialLongerThanTheChipHoldsIsRefusedNotCut) {
    ChipIdentity identity = BatchIdentity();
    identity.serial = "LINE1-000001";
    const Result<RecordPtr> built = BuildRecord(identity);
    ASSERT_FALSE(built.Ok());
    EXPECT_NE(built.Err().message.find("LINE1-000001"), std::string::npos);
    identity.serial = "LINE1-01";
    EXPECT_TRUE(BuildRecord(identity).Ok());
}

TEST(LockQuestion, NamesTheIdentityAndTheBatchsSerials) {
    std::string text = DescribeIdentity(BatchIdentity(), "serials from ZQ000010");
    EXPECT_EQ(text, "VID 2E1B, PID 6C04, serials from ZQ000010, product \"usb2.0 serial\"");
    ChipIdentity single = BatchIdentity();
    single.serial = "SN000001";
    EXPECT_EQ(DescribeIdentity(single),
              "VID 2E1B, PID 6C04, serial SN000001, product \"usb2.0 serial\"");
}

class NullObserver : public BatchObserver {
public:
    void ChipPhaseChanged(const std::string&, ChipPhase) override {}
    void ChipDone(const ChipReport&) override {}
    void ChipLeftAlone(const std::string&) override { leftAlone++; }
    void Stopping(const std::string& why) override { reason = why; }
    std::atomic<int> leftAlone{0};
    std::string reason;
};

// Holds every turn at its question to the ledger, the step before the --count gate, until all of
// them are there; then holds each take that passed the gate until every turn has taken, or a
// while has passed. So the turns meet at the gate together, and a gate that lets too many
// through is seen, however the threads are scheduled.
class LatchedLedger : public LogLedger {
public:
    LatchedLedger(RecordStore& store, int turns)
        : LogLedger(store, *SerialSequence::From("ZQ000001")), turns_(turns), latch_(turns) {}
    Result<bool> WasVerified(const std::string& serial) override {
        latch_.arrive_and_wait();
        return LogLedger::WasVerified(serial);
    }
    SerialTake TakeSerial(const LedgerEntry& chip) override {
        {
            std::unique_lock<std::mutex> hold(lock_);
            taking_++;
            arrived_.notify_all();
            arrived_.wait_for(hold, std::chrono::milliseconds(500),
                              [&] { return taking_ == turns_; });
        }
        return LogLedger::TakeSerial(chip);
    }

private:
    const int turns_;
    std::latch latch_;
    std::mutex lock_;
    std::condition_variable arrived_;
    int taking_ = 0;
};

class BatchRun : public testing::Test {
protected:
    // Every port's turn at once, each on a thread of its own, as a hub of boards.
    void ProgramAll(Batch& batch, const std::vector<std::string>& ports) {
        std::vector<std::thread> workers;
        for (const std::string& port : ports) {
            chips.Chip(port);
        }
        for (const std::string& port : ports) {
            workers.emplace_back([&, port] { batch.ProgramChip(port, chips); });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
    }
    std::string SerialOn(const std::string& port) {
        RecordPtr held = NewRecord();
        ReadChip(chips.Chip(port), *held);
        return SerialText(*held).value_or("(none)");
    }
    std::vector<std::string> Started(MemoryRecordStore& store) {
        std::vector<std::string> serials;
        for (const LedgerEntry& record : store.Records()) {
            if (record.outcome == BatchOutcome::Started) {
                serials.push_back(record.serial);
            }
        }
        return serials;
    }
    InProcessChips chips;
    NullObserver observer;
    BatchSettings settings{BatchIdentity(), 0, "", {}, std::chrono::milliseconds(1000),
                           nullptr,         ""};
};

TEST_F(BatchRun, WithMoreBoardsThanTheCountNeedsOnlyTheCountGetsSerials) {
    const std::vector<std::string> ports = {"COM1", "COM2", "COM3", "COM4", "COM5"};
    // Boards of the batch's identity with a serial the log never verified: each turn asks the
    // ledger, and waits there for the others.
    ChipIdentity old = BatchIdentity();
    old.serial = "OLD00001";
    for (const std::string& port : ports) {
        ASSERT_EQ(WriteAndVerify(chips.Chip(port), *Built(old)), JobOutcome::WriteOk);
    }
    MemoryRecordStore store;
    LatchedLedger ledger(store, static_cast<int>(ports.size()));
    ASSERT_TRUE(ledger.Open());
    settings.count = 2;
    Batch batch(settings, ledger, observer);
    ProgramAll(batch, ports);
    EXPECT_EQ(Started(store).size(), 2u);
    EXPECT_EQ(batch.Tally().Count(BatchOutcome::Verified), 2);
    EXPECT_EQ(observer.leftAlone, 3);
    EXPECT_EQ(batch.ExitCode(), EXIT_DONE);
    int written = 0;
    for (const std::string& port : ports) {
        written += SerialOn(port) != "OLD00001" ? 1 : 0;
    }
    EXPECT_EQ(written, 2) << "a board left alone gets no frame that changes it";
}

TEST_F(BatchRun, ARecordThatFailsStopsTheBatchAndNothingIsWrittenUnrecorded) {
    // Appends: A started, A verified, B started (fails at the third).
    MemoryRecordStore store({}, 2);
    LogLedger ledger(store, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    Batch batch(settings, ledger, observer);
    ProgramAll(batch, {"COM1"});
    ProgramAll(batch, {"COM2"});
    ProgramAll(batch, {"COM3"});
    EXPECT_EQ(batch.ExitCode(), EXIT_RECORD_FAILED);
    EXPECT_EQ(Started(store), (std::vector<std::string>{"ZQ000001"}));
    EXPECT_EQ(SerialOn("COM1"), "ZQ000001");
    EXPECT_EQ(chips.Chip("COM2").Chip().memory[0], 0xFF) << "its serial was never recorded";
    EXPECT_TRUE(chips.Chip("COM3").Writes().empty()) << "no chip starts after the stop";
    EXPECT_NE(batch.RecordLossSummary().find("The last serial on record: ZQ000001"),
              std::string::npos)
        << batch.RecordLossSummary();

    // The outcome of a written chip that cannot be recorded is named as unrecorded.
    MemoryRecordStore lateStore({}, 1);
    LogLedger late(lateStore, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(late.Open());
    Batch lateBatch(settings, late, observer);
    ProgramAll(lateBatch, {"COM4"});
    EXPECT_EQ(lateBatch.ExitCode(), EXIT_RECORD_FAILED);
    EXPECT_NE(lateBatch.RecordLossSummary().find("outcome not recorded: ZQ000001"),
              std::string::npos)
        << lateBatch.RecordLossSummary();
}

// A log ledger on which Ctrl+C arrives just after a serial is taken, while the chip is written.
class CtrlCAfterTake : public LogLedger {
public:
    using LogLedger::LogLedger;
    SerialTake TakeSerial(const LedgerEntry& chip) override {
        SerialTake take = LogLedger::TakeSerial(chip);
        batch->Stop("Ctrl+C", EXIT_INTERRUPTED);
        return take;
    }
    Batch* batch = nullptr;
};

TEST_F(BatchRun, ARecordThatFailsAfterCtrlCEndsWithSixNot130) {
    // Appends: the chip's started, then its outcome fails.
    MemoryRecordStore store({}, 1);
    CtrlCAfterTake ledger(store, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    Batch batch(settings, ledger, observer);
    ledger.batch = &batch;
    ProgramAll(batch, {"COM1"});
    EXPECT_EQ(SerialOn("COM1"), "ZQ000001") << "the chip in progress finished";
    EXPECT_EQ(batch.ExitCode(), EXIT_RECORD_FAILED);
}

class ThrowingOpener : public ChipOpener {
public:
    Result<std::unique_ptr<BytePort>> Open(const std::string&) override {
        throw std::runtime_error("no memory for the port");
    }
};

TEST_F(BatchRun, AWorkerThatThrowsEndsItsChipAsFailedOnRecord) {
    MemoryRecordStore store;
    LogLedger ledger(store, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    Batch batch(settings, ledger, observer);
    ThrowingOpener opener;
    batch.ProgramChip("COM9", opener);
    std::vector<LedgerEntry> records = store.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].outcome, BatchOutcome::Failed);
    EXPECT_EQ(records[0].status, "internal error: no memory for the port");
    EXPECT_EQ(batch.ExitCode(), EXIT_FAILED);
}

}  // namespace
