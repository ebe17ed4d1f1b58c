// The label's seam in the batch: real boards' turns (in-process chips, a log ledger in memory),
// the real labeller and template, and a printer of the test's own that can refuse.
#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "batch.h"
#include "exit_codes.h"
#include "in_process_chips.h"
#include "log_ledger.h"
#include "memory_record_store.h"
#include "template_labeller.h"

namespace {

// Notes each label with what the record held when it arrived.
class FakePrinter : public LabelPrinter {
public:
    explicit FakePrinter(MemoryRecordStore& store) : store_(store) {}
    Status Print(std::string_view label, const std::string& name) override {
        std::lock_guard<std::mutex> hold(mutex_);
        bool verifiedOnRecord = false;
        for (const LedgerEntry& record : store_.Records()) {
            verifiedOnRecord |= record.serial == name && record.outcome == BatchOutcome::Verified;
        }
        printed.push_back({name, std::string(label), verifiedOnRecord});
        if (refuse) {
            return Fail("the printer 127.0.0.1:9100 refused the connection");
        }
        return {};
    }
    struct Printed {
        std::string serial;
        std::string label;
        bool verifiedOnRecord;
    };
    std::vector<Printed> printed;
    bool refuse = false;

private:
    MemoryRecordStore& store_;
    std::mutex mutex_;
};

class Reports : public BatchObserver {
public:
    void ChipPhaseChanged(const std::string&, ChipPhase) override {}
    void ChipDone(const ChipReport& report) override {
        std::lock_guard<std::mutex> hold(mutex_);
        done.push_back(report);
    }
    void ChipLeftAlone(const std::string&) override {}
    void Stopping(const std::string&) override {}
    std::vector<ChipReport> done;

private:
    std::mutex mutex_;
};

class LabelSeam : public testing::Test {
protected:
    LabelSeam() {
        settings.identity.vendorId = 0x2E1B;
        settings.identity.productId = 0x6C04;
        settings.identity.product = u"Board ^1~";
        Result<LabelTemplate> label =
            ParseLabelTemplate("test.zpl", "^XA^FO20,20^FD{serial} {date} {job}^FS^XZ");
        EXPECT_TRUE(label.Ok());
        auto fake = std::make_unique<FakePrinter>(store);
        printer = fake.get();
        labeller = std::make_unique<TemplateLabeller>(*label, std::move(fake), "tcp:127.0.0.1");
        settings.labeller = labeller.get();
        settings.job = "3F09A1C2";
    }
    // Each port's board at once, on threads of their own.
    void ProgramAll(Batch& batch, const std::vector<std::string>& ports) {
        for (const std::string& port : ports) {
            chips.Chip(port);
        }
        std::vector<std::thread> workers;
        for (const std::string& port : ports) {
            workers.emplace_back([&, port] { batch.ProgramChip(port, chips); });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
    }
    std::vector<std::string> Records(BatchOutcome outcome) {
        std::vector<std::string> serials;
        for (const LedgerEntry& record : store.Records()) {
            if (record.outcome == outcome) {
                serials.push_back(record.serial + " " + record.status);
            }
        }
        return serials;
    }

    InProcessChips chips;
    Reports reports;
    MemoryRecordStore store;
    BatchSettings settings;
    FakePrinter* printer = nullptr;
    std::unique_ptr<TemplateLabeller> labeller;
};

TEST_F(LabelSeam, AVerifiedBoardGetsOneLabelAfterItsRecordAndAFailedOneNone) {
    LogLedger ledger(store, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    Batch batch(settings, ledger, reports);
    chips.Chip("COM2");
    ChipMuteAfter(&chips.Chip("COM2").Chip(), 60);  // fails half-way through its write
    ProgramAll(batch, {"COM1", "COM2"});

    ASSERT_EQ(printer->printed.size(), 1u);
    const std::string serial = printer->printed[0].serial;
    EXPECT_TRUE(printer->printed[0].verifiedOnRecord) << "a label before its board's record";
    EXPECT_EQ(Records(BatchOutcome::Verified), std::vector<std::string>{serial + " 写入成功"});
    EXPECT_EQ(Records(BatchOutcome::Labelled), std::vector<std::string>{serial + " tcp:127.0.0.1"});
    // The label shows the record's own date and job.
    std::string date;
    for (const LedgerEntry& record : store.Records()) {
        date = record.outcome == BatchOutcome::Verified ? record.time.substr(0, 10) : date;
    }
    EXPECT_NE(printer->printed[0].label.find(serial + " " + date + " 3F09A1C2"), std::string::npos)
        << printer->printed[0].label;
    EXPECT_EQ(batch.ExitCode(), EXIT_FAILED) << "the failed board keeps its code";
}

TEST_F(LabelSeam, ALabelThatFailsIsOnRecordAndChangesNoBoardNorStopsTheBatch) {
    LogLedger ledger(store, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    Batch batch(settings, ledger, reports);
    printer->refuse = true;
    ProgramAll(batch, {"COM1"});
    ProgramAll(batch, {"COM2"});  // the next board still starts
    EXPECT_EQ(Records(BatchOutcome::Verified).size(), 2u);
    EXPECT_EQ(
        Records(BatchOutcome::LabelFailed),
        (std::vector<std::string>{"ZQ000001 the printer 127.0.0.1:9100 refused the connection",
                                  "ZQ000002 the printer 127.0.0.1:9100 refused the connection"}));
    ASSERT_EQ(reports.done.size(), 2u);
    EXPECT_EQ(reports.done[0].outcome, BatchOutcome::Verified);
    EXPECT_EQ(reports.done[0].label.state, LabelState::NotPrinted);
    EXPECT_EQ(batch.Tally().Count(BatchOutcome::LabelFailed), 2);
    EXPECT_EQ(batch.ExitCode(), EXIT_LABEL_MISSING);
    batch.Stop("Ctrl+C", EXIT_INTERRUPTED);
    EXPECT_EQ(batch.ExitCode(), EXIT_LABEL_MISSING) << "a batch without --count ends with Ctrl+C";
}

TEST_F(LabelSeam, AVerifiedBoardWhoseRecordFailedGetsNoLabel) {
    // Appends: started, then the verified record fails.
    MemoryRecordStore failing({}, 1);
    LogLedger ledger(failing, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    Batch batch(settings, ledger, reports);
    ProgramAll(batch, {"COM1"});
    EXPECT_TRUE(printer->printed.empty());
    EXPECT_EQ(batch.ExitCode(), EXIT_RECORD_FAILED);
}

// A label's own record (labelled) that cannot be written is a record lost like any other: the
// batch stops with exit 6, and no board starts after it.
TEST_F(LabelSeam, ALabelWhoseRecordFailsStopsTheBatch) {
    // Appends: started and verified, then the label's record fails.
    MemoryRecordStore failing({}, 2);
    LogLedger ledger(failing, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    Batch batch(settings, ledger, reports);
    ProgramAll(batch, {"COM1"});
    EXPECT_EQ(printer->printed.size(), 1u);
    EXPECT_EQ(batch.ExitCode(), EXIT_RECORD_FAILED);
    EXPECT_TRUE(batch.Stopping());
    ProgramAll(batch, {"COM2"});
    EXPECT_TRUE(chips.Chip("COM2").Writes().empty()) << "no board starts after the stop";
}

}  // namespace
