// Serials leased ahead to stations, against real servers: stations taking from their own leases
// never share a serial, a leased serial is on record only once a board takes it, a list's lease
// runs the list out, and a lease whose commit lost its answer is settled by its key.
#include <map>
#include <mutex>

#include "column_number.h"
#include "lease_journal.h"
#include "lease_operations.h"
#include "link_faults.h"
#include "server_fixture.h"

namespace {

using namespace sql_test;
using namespace std::chrono_literals;

class LeaseTest : public SqlLedgerTest {
protected:
    SqlLedgerOptions Leasing(int size, int low) {
        SqlLedgerOptions options;
        options.lease = size;
        options.leaseLow = low;
        options.retryInterval = 50ms;
        return options;
    }

    // The sequence's records as "serial outcome", in the order they were made.
    std::vector<std::string> Records(const std::string& sequence) {
        const auto exported = Export(connection_, sequence);
        EXPECT_TRUE(exported.Ok()) << ErrorOf(exported);
        std::vector<std::string> records;
        for (const LedgerEntry& entry :
             exported.Ok() ? exported.Value() : std::vector<LedgerEntry>{}) {
            records.push_back(entry.serial + " " + OutcomeWord(entry.outcome));
        }
        return records;
    }

    int64_t Count(const std::string& sql, const std::string& sequence) {
        odbc::Session session;
        EXPECT_TRUE(session.Connect(connection_, 5));
        const odbc::Answer answer = session.Run(sql, {sequence});
        EXPECT_TRUE(answer.Ok()) << (answer ? "" : answer.Err().message);
        return answer ? NumberAt(answer).value_or(-1) : -1;
    }
};

TEST_P(LeaseTest, StationsTakeFromTheirOwnLeasesAndOnlyTakenSerialsAreOnRecord) {
    const SequenceDefinition sequence = Define();
    auto a = Open(sequence, "st-a", TestSerials(), Leasing(5, 2));
    auto b = Open(sequence, "st-b", TestSerials(), Leasing(5, 0));
    std::set<std::string> taken;
    std::vector<std::string> fromA;
    for (int board = 0; board < 7; board++) {
        for (SqlLedger* station : {a.get(), b.get()}) {
            const SerialTake take = station->TakeSerial(Chip("COM21"));
            ASSERT_EQ(take.result, TakeResult::Taken) << take.message;
            EXPECT_TRUE(taken.insert(take.serial).second) << take.serial << " twice";
            if (station == a.get()) {
                fromA.push_back(take.serial);
            }
        }
    }
    // A's first lease ran low at 1 left (fewer than 2): its second came after B's first, and A
    // used up the first one's last serial before it.
    const auto at = [&](uint64_t position) {
        return *TestSerials()(sequence.firstSerial, position);
    };
    EXPECT_EQ(fromA, (std::vector<std::string>{at(0), at(1), at(2), at(3), at(4), at(10), at(11)}));
    // Four leases of five: seven boards each, and no started record for the six serials left.
    EXPECT_EQ(Count("SELECT COUNT(*) FROM zq_leases WHERE sequence_name = ?", sequence.name), 4);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM zq_serials WHERE sequence_name = ?", sequence.name), 14);
    EXPECT_EQ(Records(sequence.name).size(), 14u);
    EXPECT_EQ(*a->NextSerial(), at(12));
}

TEST_P(LeaseTest, AListsLeasesRunTheListOutWithoutAGap) {
    SequenceDefinition sequence{Unique("seq"), "", "2E1B", "7A01", "usb2.0 serial", false};
    sequence.scheme = SequenceScheme::List;
    std::vector<std::string> list;
    for (int i = 0; i < 8; i++) {
        list.push_back(UniqueSerial('L'));
    }
    ASSERT_TRUE(DefineSequence(connection_, sequence, list).Ok());
    auto a = Open(sequence, "st-a", TestSerials(), Leasing(3, 0));
    auto b = Open(sequence, "st-b", TestSerials(), Leasing(3, 0));
    // A station runs out when the list is used or leased: B first, while A's lease holds one.
    std::vector<std::string> taken;
    std::string results;
    for (int board = 0; board < 5; board++) {
        for (SqlLedger* station : {a.get(), b.get()}) {
            const SerialTake take = station->TakeSerial(Chip("COM21"));
            results += take.result == TakeResult::Taken    ? "T"
                       : take.result == TakeResult::RunOut ? "R"
                                                           : "?";
            if (take.result == TakeResult::Taken) {
                taken.push_back(take.serial);
            }
        }
    }
    EXPECT_EQ(results, "TTTTTTTRTR");
    EXPECT_EQ(std::set<std::string>(taken.begin(), taken.end()).size(), taken.size());
    EXPECT_EQ(std::set<std::string>(taken.begin(), taken.end()),
              std::set<std::string>(list.begin(), list.end()));
    EXPECT_EQ(Report(connection_, sequence.name).Value().serialsFree, 0u);
}

// The fault seam: the lease's commit fails before it lands, or lands with its answer lost.
TEST_P(LeaseTest, ALeaseWhoseCommitLostItsAnswerIsSettledByItsKeyAndUsedOnce) {
    const SequenceDefinition sequence = Define();
    LinkFaults faults;
    SqlLedgerOptions options = Leasing(3, 0);
    options.faults = &faults;
    auto ledger = Open(sequence, "st-a", TestSerials(), options);
    const auto at = [&](uint64_t position) {
        return *TestSerials()(sequence.firstSerial, position);
    };

    // Lost before it landed: nothing of it is there, and the next lease is taken afresh.
    faults.commitLostBefore = faults.commits + 1;
    SerialTake take = ledger->TakeSerial(Chip("COM21"));
    ASSERT_EQ(take.result, TakeResult::Taken) << take.message;
    EXPECT_EQ(take.serial, at(0));
    ledger->TakeSerial(Chip("COM21"));
    ledger->TakeSerial(Chip("COM21"));
    auto other = Open(sequence, "st-b", TestSerials(), Leasing(3, 0));
    EXPECT_EQ(other->TakeSerial(Chip("COM22")).serial, at(3));
    // Landed, its answer lost: found by its key, its serials are this station's, once.
    faults.commitLostAfter = faults.commits + 1;
    std::vector<std::string> serials;
    for (int board = 0; board < 4; board++) {
        take = ledger->TakeSerial(Chip("COM21"));
        ASSERT_EQ(take.result, TakeResult::Taken) << take.message;
        serials.push_back(take.serial);
    }
    // Without the lost answer the same serials would follow: the fault must have struck.
    ASSERT_GE(faults.commits, faults.commitLostAfter);
    EXPECT_EQ(serials, (std::vector<std::string>{at(6), at(7), at(8), at(9)}));
    EXPECT_EQ(other->TakeSerial(Chip("COM22")).serial, at(4));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM zq_leases WHERE sequence_name = ?", sequence.name), 4);
}

// The leases on record: per station, a release gives up exactly the unused serials, once; a
// list's go back to free and the next take without a lease takes them, a counted one's stay used.
TEST_P(LeaseTest, ALeaseListedAndReleasedCountsEverySerialOnce) {
    SequenceDefinition listed{Unique("seq"), "", "2E1B", "7A02", "usb2.0 serial", false};
    listed.scheme = SequenceScheme::List;
    std::vector<std::string> list;
    for (int i = 0; i < 6; i++) {
        list.push_back(UniqueSerial('R'));
    }
    ASSERT_TRUE(DefineSequence(connection_, listed, list).Ok());
    // A station's name of its own: a release without --sequence reaches every sequence's leases.
    const std::string retired = Unique("st-a");
    auto a = Open(listed, retired, TestSerials(), Leasing(4, 0));
    ASSERT_EQ(a->TakeSerial(Chip("COM21")).serial, list[0]);
    auto b = Open(listed, "st-b", TestSerials(), Leasing(4, 0));
    ASSERT_EQ(b->TakeSerial(Chip("COM22")).serial, list[4]);

    auto counts = [&] {
        std::vector<std::string> lines;
        const auto leases = ListLeases(connection_, listed.name);
        EXPECT_TRUE(leases.Ok()) << ErrorOf(leases);
        for (const LeaseCounts& c : leases.Ok() ? *leases : std::vector<LeaseCounts>{}) {
            lines.push_back((c.station == retired ? "st-a" : c.station) + " " +
                            std::to_string(c.leased) + " " + std::to_string(c.used) + " " +
                            std::to_string(c.unused) + " " + std::to_string(c.released));
        }
        return lines;
    };
    EXPECT_EQ(counts(), (std::vector<std::string>{"st-a 4 1 3 0", "st-b 2 1 1 0"}));
    const auto released = ReleaseLeases(connection_, retired, "");
    ASSERT_TRUE(released.Ok()) << ErrorOf(released);
    EXPECT_EQ(released.Value().size(), 1u);
    EXPECT_EQ(counts(), (std::vector<std::string>{"st-a 4 1 0 3", "st-b 2 1 1 0"}));
    const auto again = ReleaseLeases(connection_, retired, listed.name);
    EXPECT_TRUE(again.Ok() && again->empty());
    const LedgerReport report = Report(connection_, listed.name).Value();
    EXPECT_EQ(report.serialsLeased, 6u);
    EXPECT_EQ(report.serialsReleased, 3u);
    EXPECT_EQ(report.serialsFree, 3u);
    // The released serials go to the next take without a lease, in the list's order.
    auto plain = Open(listed, "st-c");
    for (size_t i = 1; i < 4; i++) {
        EXPECT_EQ(plain->TakeSerial(Chip("COM23")).serial, list[i]);
    }
    EXPECT_EQ(plain->TakeSerial(Chip("COM23")).result, TakeResult::RunOut);
}

// A format's lease belongs to its period: at the next one its rest is released, on record, and a
// lease of the new period taken.
TEST_P(LeaseTest, AFormatsLeaseEndsWithItsPeriod) {
    using namespace std::chrono;
    // A PID of its own: the same format expands to the same serials in every run.
    char pid[8];
    std::snprintf(pid, sizeof pid, "%04X",
                  static_cast<unsigned>(0x1000 + system_clock::now().time_since_epoch() /
                                                     milliseconds(1) % 0xE000));
    SequenceDefinition sequence{Unique("seq"), "", "2E1B", pid, "usb2.0 serial", false};
    sequence.scheme = SequenceScheme::Format;
    sequence.serialFormat = "Q{YY}{WW}{N:3}";
    ASSERT_TRUE(DefineSequence(connection_, sequence).Ok());
    std::atomic<int64_t> day{0};
    SqlLedgerOptions options = Leasing(5, 0);
    // Monday 7 December 2026 (week 50), then a week later.
    options.clock = [&] { return sys_days(2026y / December / 7) + days(day.load()) + 10h; };
    auto ledger = Open(sequence, Unique("st"), TestSerials(), options);
    EXPECT_EQ(ledger->TakeSerial(Chip("COM21")).serial, "Q2650001");
    EXPECT_EQ(ledger->TakeSerial(Chip("COM21")).serial, "Q2650002");
    day = 7;
    EXPECT_EQ(ledger->TakeSerial(Chip("COM21")).serial, "Q2651001");
    const auto leases = ListLeases(connection_, sequence.name);
    ASSERT_TRUE(leases.Ok() && leases->size() == 1u) << ErrorOf(leases);
    EXPECT_EQ(leases->front().leased, 10u);
    EXPECT_EQ(leases->front().used, 3u);
    EXPECT_EQ(leases->front().released, 3u);
    EXPECT_EQ(leases->front().unused, 4u);
}

// A journal's bytes that outlive the ledger that wrote them, as a file outlives a killed station.
// Written by the ledger's sender while the test reads them.
class JournalBytes : public LogBytes {
public:
    Result<std::string> ReadAll() override { return Bytes(); }
    Status Append(const std::string& more) override {
        std::lock_guard<std::mutex> hold(mutex_);
        bytes_ += more;
        return {};
    }
    Status Replace(const std::string& all) override {
        std::lock_guard<std::mutex> hold(mutex_);
        bytes_ = all;
        return {};
    }
    std::string Bytes() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return bytes_;
    }

private:
    mutable std::mutex mutex_;
    std::string bytes_;
};

// Two stations with leases and journals, the server stopped for longer than a lease's worth of
// boards: each programs from its lease and stops when it is used up; one is killed offline and
// restarted from its journal; the server back, every record lands once, no serial twice.
TEST_P(LeaseTest, StationsWorkOfflineFromTheirLeasesAndEveryRecordLandsOnce) {
    if (!CanControl()) {
        GTEST_SKIP() << GetParam().control << " is not set: no way to stop the server";
    }
    const SequenceDefinition sequence = Define();
    JournalBytes bytesA, bytesB;
    LeaseJournal journalA(bytesA, "the journal a"), journalB(bytesB, "the journal b");
    auto options = [&](LeaseJournal& journal) {
        SqlLedgerOptions leasing = Leasing(4, 1);
        leasing.reconnectBound = 1s;
        leasing.journal = &journal;
        return leasing;
    };
    auto a = Open(sequence, "st-a", TestSerials(), options(journalA));
    auto b = Open(sequence, "st-b", TestSerials(), options(journalB));
    std::vector<std::string> taken;
    std::map<std::string, std::vector<std::string>> made;  // each station's records in order
    auto board = [&](SqlLedger& station) {
        const SerialTake take = station.TakeSerial(Chip("COM21"));
        if (take.result == TakeResult::Taken) {
            taken.push_back(take.serial);
            EXPECT_TRUE(station.Record(Outcome("COM21", take.serial, BatchOutcome::Verified)));
            for (const char* outcome : {" started", " verified"}) {
                made[&station == b.get() ? "b" : "a"].push_back(take.serial + outcome);
            }
        }
        return take;
    };
    ASSERT_EQ(board(*a).result, TakeResult::Taken);
    ASSERT_EQ(board(*b).result, TakeResult::Taken);

    ASSERT_TRUE(Control("stop"));
    // A: two boards offline, then killed; restarted from its journal while the server is down.
    ASSERT_EQ(board(*a).result, TakeResult::Taken);
    ASSERT_EQ(board(*a).result, TakeResult::Taken);
    a.reset();
    a = Open(sequence, "st-a", TestSerials(), options(journalA));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->LeaseLeft(), 1u);
    for (SqlLedger* station : {a.get(), b.get()}) {
        while (board(*station).result == TakeResult::Taken) {
        }
        const SerialTake out = station->TakeSerial(Chip("COM22"));
        EXPECT_EQ(out.result, TakeResult::NotRecorded);
        EXPECT_NE(out.message.find("the lease is used up"), std::string::npos) << out.message;
        EXPECT_TRUE(station->OfflineSince().has_value());
    }
    EXPECT_EQ(taken.size(), 8u);
    ASSERT_TRUE(Control("start"));
    EXPECT_TRUE(a->Finish()) << ErrorOf(a->Finish());
    EXPECT_TRUE(b->Finish()) << ErrorOf(b->Finish());

    std::multiset<std::string> started, verified;
    std::map<std::string, std::vector<std::string>> landed;  // in the order they landed
    for (const std::string& record : Records(sequence.name)) {
        const std::string serial = record.substr(0, record.find(' '));
        (record.ends_with(" started") ? started : verified).insert(serial);
        for (const auto& [station, records] : made) {
            if (std::find(records.begin(), records.end(), record) != records.end()) {
                landed[station].push_back(record);
            }
        }
    }
    EXPECT_EQ(landed, made);
    EXPECT_EQ(started, std::multiset<std::string>(taken.begin(), taken.end()));
    EXPECT_EQ(verified, started);
    EXPECT_EQ(std::set<std::string>(taken.begin(), taken.end()).size(), 8u);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM zq_serials WHERE sequence_name = ?", sequence.name), 8);
}

// A station killed right after its boards, its sender's records not yet (or only partly) in the
// database: restarted from what its journal held then, every record lands once, and the lease
// goes on without a serial twice. A journal grown long is rewritten once everything in it is in
// the database, and a restart from the rewritten journal goes on the same way.
TEST_P(LeaseTest, AKilledStationAndATrimmedJournalGoOnWithoutLosingOrReusing) {
    const SequenceDefinition sequence = Define();
    JournalBytes bytes, left;
    LeaseJournal journal(bytes, "the journal"), leftJournal(left, "the journal left");
    SqlLedgerOptions options = Leasing(4, 1);
    options.journal = &journal;
    options.journalTrimLines = 12;
    std::vector<std::string> taken;
    auto boards = [&](SqlLedger& station, int count) {
        for (int i = 0; i < count; i++) {
            const SerialTake take = station.TakeSerial(Chip("COM21"));
            ASSERT_EQ(take.result, TakeResult::Taken) << take.message;
            taken.push_back(take.serial);
            ASSERT_TRUE(station.Record(Outcome("COM21", take.serial, BatchOutcome::Verified)));
        }
    };
    auto ledger = Open(sequence, "st-a", TestSerials(), options);
    boards(*ledger, 10);
    // Killed: the journal as it was on disk then.
    ASSERT_TRUE(left.Replace(bytes.Bytes()).Ok());
    ledger.reset();
    options.journal = &leftJournal;
    ledger = Open(sequence, "st-a", TestSerials(), options);
    boards(*ledger, 3);
    ASSERT_TRUE(ledger->Finish()) << ErrorOf(ledger->Finish());
    // Rewritten since: it held over 20 records' lines, and more were added.
    const std::string compact = left.Bytes();
    EXPECT_LT(std::count(compact.begin(), compact.end(), '\n'), 12) << compact;
    ledger.reset();
    ledger = Open(sequence, "st-a", TestSerials(), options);
    boards(*ledger, 3);
    ASSERT_TRUE(ledger->Finish()) << ErrorOf(ledger->Finish());

    EXPECT_EQ(std::set<std::string>(taken.begin(), taken.end()).size(), 16u);
    std::vector<std::string> expected;
    for (const std::string& serial : taken) {
        expected.push_back(serial + " started");
        expected.push_back(serial + " verified");
    }
    EXPECT_EQ(Records(sequence.name), expected);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM zq_serials WHERE sequence_name = ?", sequence.name), 16);
}

INSTANTIATE_TEST_SUITE_P(Servers, LeaseTest, kServers, ServerName);

}  // namespace
