// The log as the batch writes it and reads it back: every field exactly, whatever a crash left.
#include <gtest/gtest.h>

#include "log_csv.h"
#include "log_ledger.h"
#include "log_store.h"
#include "memory_record_store.h"

namespace {

const std::string kHeader = "time,port,serial,vid,pid,product,lock,outcome,status\r\n";

LedgerEntry Entry(const std::string& serial, BatchOutcome outcome, const std::string& product,
                  const std::string& status = "") {
    LedgerEntry entry;
    entry.time = "2026-12-07T15:31:44.823Z";
    entry.port = "COM21";
    entry.serial = serial;
    entry.vid = "2E1B";
    entry.pid = "6C04";
    entry.product = product;
    entry.lock = outcome == BatchOutcome::Locked;
    entry.outcome = outcome;
    entry.status = status;
    return entry;
}

void ExpectSame(const LedgerEntry& a, const LedgerEntry& b) {
    EXPECT_EQ(a.time, b.time);
    EXPECT_EQ(a.port, b.port);
    EXPECT_EQ(a.serial, b.serial);
    EXPECT_EQ(a.vid + a.pid, b.vid + b.pid);
    EXPECT_EQ(a.product, b.product);
    EXPECT_EQ(a.lock, b.lock);
    EXPECT_EQ(a.outcome, b.outcome);
    EXPECT_EQ(a.status, b.status);
    EXPECT_EQ(a.job, b.job);
}

TEST(LogCsv, EveryFieldReadsBackExactlyWithOrWithoutTheByteOrderMark) {
    std::vector<LedgerEntry> written = {
        Entry("ZQ000001", BatchOutcome::Started, "a,b"),
        Entry("ZQ000001", BatchOutcome::Verified, "say \"hi\"", "写入成功"),
        Entry("ZQ000002", BatchOutcome::Locked, "two\r\nlines\nand\rone", "x"),
        Entry("", BatchOutcome::ReadFailed, "\"", "读取失败请重试"),
    };
    written[1].job = "3F09A1C2";
    std::string body;
    for (const LedgerEntry& entry : written) {
        body += EncodeLogLine(entry);
    }
    for (const std::string& text : {LogStart() + body, kHeader + body}) {
        Result<LogContents> read = DecodeLog(text);
        ASSERT_TRUE(read) << read.Err().message;
        ASSERT_EQ(read->entries.size(), written.size());
        for (size_t i = 0; i < written.size(); i++) {
            ExpectSame(read->entries[i], written[i]);
        }
        EXPECT_EQ(read->tornTail, "");
    }
    EXPECT_EQ(LogStart().substr(0, 3), "\xEF\xBB\xBF");
}

TEST(LogCsv, ATornLastLineIsIgnoredAndStaysIgnoredOnceEnded) {
    std::string started = EncodeLogLine(Entry("ZQ000007", BatchOutcome::Started, "p"));
    std::string quoted = EncodeLogLine(Entry("ZQ000008", BatchOutcome::Started, "a,b"));
    std::string next = EncodeLogLine(Entry("ZQ000009", BatchOutcome::Started, "p"));
    // Cut inside a plain field, inside a quoted one, and right after a field's comma.
    for (const std::string& torn : {started.substr(0, 40), quoted.substr(0, quoted.find(',', 60)),
                                    quoted.substr(0, quoted.find('"') + 2)}) {
        std::string text = kHeader + started + torn;
        Result<LogContents> read = DecodeLog(text);
        ASSERT_TRUE(read);
        ASSERT_EQ(read->entries.size(), 1u) << torn;
        EXPECT_EQ(read->tornTail, torn);
        // The batch ends the torn line and appends: the line after it reads whole.
        text += TornLineEnd(read->tornTail) + next;
        read = DecodeLog(text);
        ASSERT_TRUE(read);
        ASSERT_EQ(read->entries.size(), 2u) << torn;
        EXPECT_EQ(read->entries[1].serial, "ZQ000009");
        EXPECT_EQ(read->tornTail, "");
    }
}

TEST(LogCsv, AForeignFileIsRefused) {
    for (const std::string& text : {std::string("not a log\r\n"), std::string(""),
                                    std::string("time,port,serial\r\n"), kHeader.substr(0, 20)}) {
        Result<LogContents> read = DecodeLog(text);
        ASSERT_FALSE(read) << text;
        EXPECT_NE(read.Err().message.find("not a batch log"), std::string::npos);
    }
}

TEST(LogLedger, ResumesAfterTheHighestSerialOfItsSequenceTheRecordsUsed) {
    // The highest after a lower one and before another: neither the first nor the last counts.
    MemoryRecordStore store({Entry("ZQ000007", BatchOutcome::Started, "p"),
                             Entry("ZQ000041", BatchOutcome::Started, "p"),
                             Entry("ZQ000012", BatchOutcome::Started, "p"),
                             Entry("XY000500", BatchOutcome::Started, "p"),
                             Entry("ZQ00900", BatchOutcome::Started, "p")});
    LogLedger ledger(store, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    EXPECT_EQ(ledger.ResumedAfter(), "ZQ000041") << "only serials of this sequence count";
    EXPECT_EQ(*ledger.NextSerial(), "ZQ000042");

    // A serial whose started line a torn append took with it, its outcome intact: used all the
    // same.
    MemoryRecordStore torn({Entry("ZQ000007", BatchOutcome::Started, "p"),
                            Entry("ZQ000099", BatchOutcome::Verified, "p")});
    LogLedger afterTear(torn, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(afterTear.Open());
    EXPECT_EQ(*afterTear.NextSerial(), "ZQ000100");
    EXPECT_TRUE(*afterTear.WasVerified("ZQ000099"));

    LogLedger ahead(store, *SerialSequence::From("ZQ000100"));
    ASSERT_TRUE(ahead.Open());
    EXPECT_EQ(*ahead.NextSerial(), "ZQ000100");
    EXPECT_EQ(ahead.ResumedAfter(), "");

    MemoryRecordStore full({Entry("ZQ-9", BatchOutcome::Started, "p")});
    LogLedger spent(full, *SerialSequence::From("ZQ-1"));
    Status opened = spent.Open();
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.Err().message.find("no serial of this sequence is left"), std::string::npos);
}

// A log's bytes in memory; the append numbered tearAt (from 0) writes half its bytes and fails,
// as a full volume or a lost share would.
class TearingBytes : public LogBytes {
public:
    Result<std::string> ReadAll() override { return text; }
    Status Append(const std::string& bytes) override {
        if (appends++ == tearAt) {
            text += bytes.substr(0, bytes.size() / 2);
            return Fail("torn");
        }
        text += bytes;
        return {};
    }
    std::string text;
    int appends = 0;
    int tearAt = -1;
};

TEST(LogStore, AnAppendAfterATornOneIsReadBackAndNoSerialIsHandedOutTwice) {
    TearingBytes bytes;
    LogStore store(bytes, "the log");
    LogLedger ledger(store, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    LedgerEntry chip = Entry("", BatchOutcome::Started, "p");
    ASSERT_EQ(ledger.TakeSerial(chip).serial, "ZQ000001");
    ASSERT_EQ(ledger.TakeSerial(chip).serial, "ZQ000002");
    bytes.tearAt = bytes.appends;  // the next append, ZQ000002's outcome, is torn
    EXPECT_FALSE(ledger.Record(Entry("ZQ000002", BatchOutcome::Verified, "p", "写入成功")));
    // Another port's chip, in progress, goes on.
    ASSERT_EQ(ledger.TakeSerial(chip).serial, "ZQ000003");
    ASSERT_TRUE(ledger.Record(Entry("ZQ000003", BatchOutcome::Verified, "p", "写入成功")));

    // Restarted on the same log.
    LogStore again(bytes, "the log");
    Result<std::vector<LedgerEntry>> records = again.Load();
    ASSERT_TRUE(records) << records.Err().message;
    std::vector<std::string> read;
    for (const LedgerEntry& record : *records) {
        read.push_back(record.serial + " " + OutcomeWord(record.outcome));
    }
    EXPECT_EQ(read, (std::vector<std::string>{"ZQ000001 started", "ZQ000002 started",
                                              "ZQ000003 started", "ZQ000003 verified"}));
    LogLedger resumed(again, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(resumed.Open());
    EXPECT_EQ(*resumed.NextSerial(), "ZQ000004");
}

// A log written before records carried their job: nine columns, no job. It still reads, a batch
// resumes from it, and the lines appended to it carry their job's id.
TEST(LogStore, ALogWithoutTheJobColumnReadsResumesAndTakesJobLines) {
    TearingBytes bytes;
    bytes.text = "\xEF\xBB\xBF" + kHeader +
                 "2026-12-07T15:31:44.823Z,COM21,ZQ000041,2E1B,6C04,p,no,started,\r\n"
                 "2026-12-07T15:31:45.100Z,COM21,ZQ000041,2E1B,6C04,p,no,verified,写入成功\r\n";
    LogStore store(bytes, "the log");
    LogLedger ledger(store, *SerialSequence::From("ZQ000001"));
    ASSERT_TRUE(ledger.Open());
    EXPECT_EQ(*ledger.NextSerial(), "ZQ000042");
    EXPECT_TRUE(*ledger.WasVerified("ZQ000041"));
    LedgerEntry next = Entry("ZQ000042", BatchOutcome::Verified, "p", "写入成功");
    next.job = "3F09A1C2";
    ASSERT_TRUE(ledger.Record(next));

    Result<std::vector<LedgerEntry>> records = LogStore(bytes, "the log").Load();
    ASSERT_TRUE(records) << records.Err().message;
    ASSERT_EQ(records->size(), 3u);
    EXPECT_EQ((*records)[1].job + "|" + (*records)[2].job, "|3F09A1C2");
    ExpectSame((*records)[2], next);
}

}  // namespace
