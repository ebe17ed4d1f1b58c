// The SQL ledger against real servers: takes, records, the report and the export, lost
// connections and rows another station holds.
#include "ledger_guard.h"
#include "link_faults.h"
#include "server_fixture.h"

namespace {

using namespace sql_test;
using namespace std::chrono_literals;

TEST_P(SqlLedgerTest, ThreeStationsTakeDistinctSerialsAndTheReportCountsThem) {
    const SequenceDefinition sequence = Define();
    constexpr int kStations = 3, kWorkers = 2, kChips = 15;
    std::vector<std::unique_ptr<SqlLedger>> stations;
    for (int s = 0; s < kStations; s++) {
        stations.push_back(Open(sequence, "station-" + std::to_string(s)));
        ASSERT_TRUE(stations.back());
    }
    std::mutex takenLock;
    std::vector<std::string> taken;
    std::vector<std::thread> workers;
    for (int s = 0; s < kStations; s++) {
        for (int w = 0; w < kWorkers; w++) {
            workers.emplace_back([&, s, w] {
                const std::string port = "COM" + std::to_string(21 + w);
                for (int c = 0; c < kChips; c++) {
                    const SerialTake take = stations[s]->TakeSerial(Chip(port));
                    EXPECT_EQ(take.result, TakeResult::Taken) << take.message;
                    EXPECT_TRUE(
                        stations[s]->Record(Outcome(port, take.serial, BatchOutcome::Verified)));
                    std::lock_guard<std::mutex> lock(takenLock);
                    taken.push_back(take.serial);
                }
            });
        }
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    constexpr uint64_t kTotal = kStations * kWorkers * kChips;
    EXPECT_EQ(std::set<std::string>(taken.begin(), taken.end()).size(), kTotal);

    const Result<LedgerReport, LedgerError> report = Report(connection_, sequence.name);
    ASSERT_TRUE(report.Ok()) << ErrorOf(report);
    EXPECT_EQ(report.Value().sequence, sequence);
    EXPECT_EQ(report.Value().serialsUsed, kTotal);
    EXPECT_EQ(report.Value().highestSerial, *TestSerials()(sequence.firstSerial, kTotal - 1));
    EXPECT_EQ(report.Value().records.at(BatchOutcome::Started), kTotal);
    EXPECT_EQ(report.Value().records.at(BatchOutcome::Verified), kTotal);
    ASSERT_EQ(report.Value().stations.size(), size_t{kStations});
    EXPECT_EQ(report.Value().stations[1].station, "station-1");
    EXPECT_EQ(report.Value().stations[1].records.at(BatchOutcome::Verified),
              uint64_t{kWorkers * kChips});
    EXPECT_TRUE(report.Value().withoutVerified.empty());
    EXPECT_EQ(*stations[0]->NextSerial(), *TestSerials()(sequence.firstSerial, kTotal));
}

TEST_P(SqlLedgerTest, ReportsSerialsWithoutAVerifiedOutcome) {
    const SequenceDefinition sequence = Define();
    auto ledger = Open(sequence, "bench");
    const SerialTake good = ledger->TakeSerial(Chip("COM21"));
    const SerialTake bad = ledger->TakeSerial(Chip("COM22"));
    const SerialTake lost = ledger->TakeSerial(Chip("COM23"));
    ASSERT_TRUE(ledger->Record(Outcome("COM21", good.serial, BatchOutcome::Verified)));
    ASSERT_TRUE(ledger->Record(Outcome("COM22", bad.serial, BatchOutcome::Unverified)));
    ASSERT_TRUE(ledger->Record(Outcome("COM24", "", BatchOutcome::SkippedLocked)));

    const Result<LedgerReport, LedgerError> report = Report(connection_, sequence.name);
    ASSERT_TRUE(report.Ok()) << ErrorOf(report);
    EXPECT_EQ(report.Value().withoutVerified, (std::vector<std::string>{bad.serial, lost.serial}));
    EXPECT_EQ(report.Value().records.at(BatchOutcome::SkippedLocked), 1u);
    EXPECT_EQ(report.Value().highestSerial, lost.serial);
    EXPECT_EQ(ledger->LastRecordedSerial(), bad.serial);

    // Another station sees what this one verified.
    auto other = Open(sequence, "other");
    EXPECT_TRUE(*other->WasVerified(good.serial));
    EXPECT_FALSE(*other->WasVerified(bad.serial));
}

TEST_P(SqlLedgerTest, InitTwiceChangesNothingAndAnotherLayoutIsRefused) {
    const SequenceDefinition sequence = Define();
    const Result<bool, LedgerError> again = InitLedger(connection_);
    ASSERT_TRUE(again.Ok()) << ErrorOf(again);
    EXPECT_FALSE(again.Value());

    // An initialisation stopped before its last step is completed.
    Execute("DELETE FROM zq_layout", {});
    const Result<bool, LedgerError> completed = InitLedger(connection_);
    ASSERT_TRUE(completed.Ok()) << ErrorOf(completed);
    EXPECT_TRUE(completed.Value());

    Execute("UPDATE zq_layout SET version = ?", {int64_t{kLedgerLayout + 1}});
    const Result<bool, LedgerError> refused = InitLedger(connection_);
    const auto opened = SqlLedger::Open(connection_, sequence.name, "s", TestSerials());
    const Result<LedgerReport, LedgerError> report = Report(connection_, sequence.name);
    Execute("UPDATE zq_layout SET version = ?", {int64_t{kLedgerLayout}});

    const std::string layout = "layout " + std::to_string(kLedgerLayout + 1);
    EXPECT_NE(ErrorOf(refused).find(layout), std::string::npos) << ErrorOf(refused);
    EXPECT_NE(ErrorOf(opened).find(layout), std::string::npos) << ErrorOf(opened);
    EXPECT_NE(ErrorOf(report).find(layout), std::string::npos) << ErrorOf(report);
}

TEST_P(SqlLedgerTest, ASequenceRedefinedWithOtherValuesIsRefused) {
    const SequenceDefinition sequence = Define();
    const Result<bool, LedgerError> same = DefineSequence(connection_, sequence);
    ASSERT_TRUE(same.Ok()) << ErrorOf(same);
    EXPECT_FALSE(same.Value());

    SequenceDefinition other = sequence;
    other.pid = "BEEF";
    other.lock = true;
    const Result<bool, LedgerError> refused = DefineSequence(connection_, other);
    EXPECT_FALSE(refused.Ok());
    EXPECT_NE(ErrorOf(refused).find("PID \"6C04\" (not \"BEEF\")"), std::string::npos)
        << ErrorOf(refused);
    EXPECT_NE(ErrorOf(refused).find("lock"), std::string::npos) << ErrorOf(refused);
    EXPECT_EQ(ReadSequence(connection_, sequence.name).Value(), sequence);
    EXPECT_FALSE(ReadSequence(connection_, Unique("missing")).Ok());
}

TEST_P(SqlLedgerTest, AWrongPasswordIsRefusedWithoutShowingIt) {
    const std::string wrongPassword = "Wrong-Secret-4711";
    std::string connection = connection_;
    const size_t at = connection.find("Pwd=");
    ASSERT_NE(at, std::string::npos);
    const std::string rightPassword = connection.substr(at + 4, connection.find(';', at) - at - 4);
    connection.replace(at, connection.find(';', at) - at, "Pwd=" + wrongPassword);

    const auto opened = SqlLedger::Open(connection, "any", "s", TestSerials());
    const Result<bool, LedgerError> init = InitLedger(connection);
    for (const std::string& error : {ErrorOf(opened), ErrorOf(init)}) {
        EXPECT_NE(error.find("could not connect"), std::string::npos) << error;
        EXPECT_EQ(error.find(wrongPassword), std::string::npos) << error;
        EXPECT_EQ(error.find(rightPassword), std::string::npos) << error;
    }
}

TEST_P(SqlLedgerTest, TextIsStoredAndExportedExactly) {
    // Quotes, a semicolon, a backslash, Chinese and a character outside the BMP; 站 and Ø are
    // what one MariaDB driver garbles when it is sent UTF-16.
    // Within a product's 18 UTF-16 units, which the ledger checks as the options do.
    const std::string product = "B\"A\"; it's 板卡\\Ø🔌";
    const SequenceDefinition sequence = Define(product);
    auto ledger = Open(sequence, "站 1");
    EXPECT_EQ(ledger->Sequence().product, product);
    LedgerEntry chip = Chip("COM21");
    chip.product = product;
    const SerialTake take = ledger->TakeSerial(chip);
    ASSERT_EQ(take.result, TakeResult::Taken) << take.message;
    LedgerEntry outcome = Outcome("COM21", take.serial, BatchOutcome::Verified);
    outcome.product = product;
    outcome.lock = true;
    outcome.time = "2026-12-07T15:31:44.823Z";
    ASSERT_TRUE(ledger->Record(outcome));

    const auto exported = Export(connection_, sequence.name);
    ASSERT_TRUE(exported.Ok()) << ErrorOf(exported);
    ASSERT_EQ(exported.Value().size(), 2u);
    const LedgerEntry& started = exported.Value()[0];
    EXPECT_EQ(started.outcome, BatchOutcome::Started);
    EXPECT_EQ(started.serial, take.serial);
    EXPECT_EQ(started.product, product);
    EXPECT_EQ(started.status, "");
    EXPECT_EQ(started.station, "站 1");
    EXPECT_EQ(started.time.size(), 24u) << started.time;
    const LedgerEntry& verified = exported.Value()[1];
    EXPECT_EQ(verified.time, outcome.time);
    EXPECT_EQ(verified.port, "COM21");
    EXPECT_EQ(verified.product, product);
    EXPECT_EQ(verified.status, "写入成功");
    EXPECT_TRUE(verified.lock);
    EXPECT_EQ(verified.vid, "2E1B");
}

TEST_P(SqlLedgerTest, TheDatabaseRefusesASerialTwiceAndASequenceRunsOut) {
    const SequenceDefinition sequence = Define();
    auto ledger = Open(sequence, "s", TestSerials(2));
    const SerialTake first = ledger->TakeSerial(Chip("COM21"));
    ASSERT_EQ(first.result, TakeResult::Taken) << first.message;
    ASSERT_EQ(ledger->TakeSerial(Chip("COM21")).result, TakeResult::Taken);
    const SerialTake none = ledger->TakeSerial(Chip("COM21"));
    EXPECT_EQ(none.result, TakeResult::RunOut);
    EXPECT_FALSE(ledger->NextSerial()->has_value());

    // The database refuses to move the sequence back, whoever asks.
    const char* back = "UPDATE zq_sequences SET next_position = ? WHERE name = ?";
    odbc::Session owner;
    ASSERT_TRUE(owner.Connect(connection_, 5));
    EXPECT_FALSE(owner.Run(back, {int64_t{0}, sequence.name}).Ok());
    owner.Rollback();
    // Whatever moved it back all the same (its owner dropped the trigger), the serial is not
    // handed out again.
    const bool postgreSql = owner.DatabaseEngine() == odbc::Engine::PostgreSql;
    Execute(
        std::string("DROP TRIGGER zq_sequences_forward") + (postgreSql ? " ON zq_sequences" : ""),
        {});
    Execute(back, {int64_t{0}, sequence.name});
    for (const std::string& step : layout::AppendOnly(owner.DatabaseEngine())) {
        Execute(step, {});
    }
    const SerialTake again = ledger->TakeSerial(Chip("COM21"));
    EXPECT_EQ(again.result, TakeResult::NotRecorded);
    EXPECT_FALSE(again.message.empty());
    EXPECT_EQ(*ledger->NextSerial(), first.serial);
    EXPECT_EQ(Report(connection_, sequence.name).Value().serialsUsed, 2u);
}

TEST_P(SqlLedgerTest, AServerRestartedDuringABatchLosesNothing) {
    if (!CanControl()) {
        GTEST_SKIP() << GetParam().control << " is not set: no way to stop the server";
    }
    const SequenceDefinition sequence = Define();
    std::atomic<int> losses{0}, regains{0};
    SqlLedgerOptions options;
    options.reconnectBound = 30s;
    options.retryInterval = 100ms;
    options.onConnection = [&](bool connected) { ++(connected ? regains : losses); };
    auto ledger = Open(sequence, "s", TestSerials(), options);

    // A worker takes and records chips while the server goes away and comes back.
    std::atomic<int> done{0};
    std::vector<std::string> taken;
    std::vector<std::string> refused;
    std::thread worker([&] {
        for (int chip = 0; chip < 40; chip++) {
            const SerialTake take = ledger->TakeSerial(Chip("COM21"));
            if (take.result == TakeResult::Taken) {
                taken.push_back(take.serial);
                EXPECT_TRUE(ledger->Record(Outcome("COM21", take.serial, BatchOutcome::Verified)));
            } else {
                // Only a commit that may or may not have landed is refused within the bound.
                EXPECT_EQ(take.result, TakeResult::NotRecorded);
                refused.push_back(take.message);
            }
            done++;
            std::this_thread::sleep_for(10ms);
        }
    });
    while (done < 5) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(Control("stop"));
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(Control("start"));
    worker.join();

    EXPECT_GE(losses.load(), 1);
    EXPECT_EQ(regains.load(), losses.load());
    EXPECT_LE(refused.size(), 1u);
    EXPECT_TRUE(ledger->UnrecordedSerials().empty());
    const auto exported = Export(connection_, sequence.name);
    ASSERT_TRUE(exported.Ok()) << ErrorOf(exported);
    std::set<std::string> started, verified;
    for (const LedgerEntry& entry : exported.Value()) {
        (entry.outcome == BatchOutcome::Started ? started : verified).insert(entry.serial);
    }
    // Every serial handed out has its committed `started` record and, kept through the loss,
    // its outcome.
    EXPECT_EQ(verified, std::set<std::string>(taken.begin(), taken.end()));
    for (const std::string& serial : taken) {
        EXPECT_TRUE(started.count(serial)) << serial;
    }
}

TEST_P(SqlLedgerTest, PastTheBoundNothingIsTakenAndUnrecordedOutcomesAreNamed) {
    if (!CanControl()) {
        GTEST_SKIP() << GetParam().control << " is not set: no way to stop the server";
    }
    const SequenceDefinition sequence = Define();
    SqlLedgerOptions options;
    options.reconnectBound = 1s;
    options.retryInterval = 100ms;
    auto ledger = Open(sequence, "s", TestSerials(), options);
    const SerialTake take = ledger->TakeSerial(Chip("COM21"));
    ASSERT_EQ(take.result, TakeResult::Taken) << take.message;

    ASSERT_TRUE(Control("stop"));
    EXPECT_FALSE(ledger->Record(Outcome("COM21", take.serial, BatchOutcome::Verified)));
    EXPECT_EQ(ledger->TakeSerial(Chip("COM22")).result, TakeResult::NotRecorded);
    EXPECT_EQ(ledger->UnrecordedSerials(), std::vector<std::string>{take.serial});
    // Kept: the station still knows what it verified.
    EXPECT_TRUE(*ledger->WasVerified(take.serial));
    ASSERT_TRUE(Control("start"));

    // The next call that reaches the database writes what was kept.
    EXPECT_TRUE(ledger->Record(Outcome("COM22", "", BatchOutcome::SkippedLocked)));
    EXPECT_TRUE(ledger->UnrecordedSerials().empty());
    auto other = Open(sequence, "other");
    EXPECT_TRUE(*other->WasVerified(take.serial));
}

// Stations that lose a commit's answer, replay a record that had landed, or cannot read a board's
// history: the faults injected into the ledger's own session, against the real server.
TEST_P(SqlLedgerTest, ALostCommitAnswerIsSettledByItsKeyAndTheBatchGoesOn) {
    const SequenceDefinition sequence = Define();
    LinkFaults faults;
    SqlLedgerOptions options;
    options.retryInterval = 50ms;
    options.faults = &faults;
    auto ledger = Open(sequence, "s", TestSerials(), options);
    const std::string first = *TestSerials()(sequence.firstSerial, 0);
    const std::string second = *TestSerials()(sequence.firstSerial, 1);

    // Lost before it landed: nothing of it is there, and the serial is taken afresh.
    faults.commitLostBefore = faults.commits + 1;
    const SerialTake again = ledger->TakeSerial(Chip("COM21"));
    ASSERT_EQ(again.result, TakeResult::Taken) << again.message;
    EXPECT_EQ(again.serial, first);
    // Landed, its answer lost: that serial is used, never written, and the next one is taken.
    faults.commitLostAfter = faults.commits + 1;
    const SerialTake next = ledger->TakeSerial(Chip("COM22"));
    ASSERT_EQ(next.result, TakeResult::Taken) << next.message;
    EXPECT_EQ(next.serial, *TestSerials()(sequence.firstSerial, 2));

    // An outcome whose commit landed with its answer lost is replayed once, known by its key.
    faults.commitLostAfter = faults.commits + 1;
    EXPECT_TRUE(ledger->Record(Outcome("COM22", next.serial, BatchOutcome::Verified)));
    EXPECT_TRUE(ledger->UnrecordedSerials().empty());

    const auto exported = Export(connection_, sequence.name);
    ASSERT_TRUE(exported.Ok()) << ErrorOf(exported);
    std::vector<std::string> records;
    for (const LedgerEntry& entry : exported.Value()) {
        records.push_back(entry.serial + " " + OutcomeWord(entry.outcome) + " " + entry.status);
    }
    EXPECT_EQ(records, (std::vector<std::string>{
                           first + " started ", second + " started ",
                           second + " failed not written: the answer to its take was lost",
                           next.serial + " started ", next.serial + " verified 写入成功"}));
}

TEST_P(SqlLedgerTest, ABoardWhoseHistoryCannotBeReadIsNotCalledUnverified) {
    const SequenceDefinition sequence = Define();
    LinkFaults faults;
    SqlLedgerOptions options;
    options.faults = &faults;
    auto ledger = Open(sequence, "s", TestSerials(), options);
    const SerialTake take = ledger->TakeSerial(Chip("COM21"));
    ASSERT_EQ(take.result, TakeResult::Taken) << take.message;
    ASSERT_TRUE(
        Open(sequence, "other")->Record(Outcome("COM21", take.serial, BatchOutcome::Verified)));

    faults.queryFails = faults.queries + 1;  // the query fails; the connection stays
    const Result<bool> unanswered = ledger->WasVerified(take.serial);
    ASSERT_FALSE(unanswered.Ok()) << "answered " << *unanswered;
    EXPECT_NE(unanswered.Err().message.find("injected"), std::string::npos)
        << unanswered.Err().message;
    const Result<bool> answered = ledger->WasVerified(take.serial);
    ASSERT_TRUE(answered.Ok()) << answered.Err().message;
    EXPECT_TRUE(*answered);
}

TEST_P(SqlLedgerTest, TransientFailuresAreRetriedAndTheBoundRunsFromTheFirst) {
    const SequenceDefinition sequence = Define();
    LinkFaults faults;
    SqlLedgerOptions options;
    options.reconnectBound = 1s;
    options.retryInterval = 50ms;
    options.faults = &faults;
    auto ledger = Open(sequence, "s", TestSerials(), options);
    const SerialTake take = ledger->TakeSerial(Chip("COM21"));
    ASSERT_EQ(take.result, TakeResult::Taken) << take.message;

    // A deadlock while recording: the record is kept and written on the next try.
    faults.queryFails = faults.queries + 1;
    faults.queryFailState = "40P01";
    EXPECT_TRUE(ledger->Record(Outcome("COM21", take.serial, BatchOutcome::Verified)));
    EXPECT_TRUE(ledger->UnrecordedSerials().empty());
    // A statement cut at its time limit (PostgreSQL's state, MariaDB's number): the take is
    // tried again.
    for (const auto& [state, native] : {std::pair{"57014", int64_t{0}}, {"HY000", int64_t{1969}}}) {
        faults.queryFails = faults.queries + 1;
        faults.queryFailState = state;
        faults.queryFailNative = native;
        const SerialTake again = ledger->TakeSerial(Chip("COM21"));
        EXPECT_EQ(again.result, TakeResult::Taken) << state << ": " << again.message;
    }
    faults.queryFailNative = 0;

    // A link that connects again and again but answers no statement: the bound runs from the
    // first failure, not from each reconnect.
    faults.lostFrom = faults.queries + 1;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ledger->TakeSerial(Chip("COM21")).result, TakeResult::NotRecorded);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

// Another session holds the sequence's row, as a station frozen inside its take would: this
// station waits within its bound, saying so, then stops taking, or goes on once the row is free.
TEST_P(SqlLedgerTest, ARowHeldElsewhereIsWaitedForWithinTheBound) {
    const SequenceDefinition sequence = Define();
    SqlLedgerOptions options;
    options.reconnectBound = 2s;
    options.retryInterval = 100ms;
    options.limits.lockWaitSeconds = 1;
    std::atomic<int> waits{0}, answers{0};
    options.onConnection = [&](bool connected) { ++(connected ? answers : waits); };
    auto ledger = Open(sequence, "s", TestSerials(), options);

    odbc::Session holder;
    ASSERT_TRUE(holder.Connect(connection_, 5, odbc::Limits{60, 60, 60}));
    ASSERT_TRUE(holder
                    .Run("UPDATE zq_sequences SET next_position = next_position WHERE name = ?",
                         {sequence.name})
                    .Ok());
    auto started = std::chrono::steady_clock::now();
    const SerialTake refused = ledger->TakeSerial(Chip("COM21"));
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(refused.result, TakeResult::NotRecorded);
    EXPECT_GE(waited, 2s);
    EXPECT_LT(waited, 5s);
    EXPECT_EQ(waits.load(), 1);

    // Freed within the bound: the take goes on.
    std::thread release([&] {
        std::this_thread::sleep_for(1500ms);
        holder.Rollback();
    });
    started = std::chrono::steady_clock::now();
    const SerialTake taken = Open(sequence, "t", TestSerials(),
                                  [&] {
                                      SqlLedgerOptions longer = options;
                                      longer.reconnectBound = 10s;
                                      return longer;
                                  }())
                                 ->TakeSerial(Chip("COM21"));
    release.join();
    EXPECT_EQ(taken.result, TakeResult::Taken) << taken.message;
    std::printf(
        "[   INFO   ] a held row: refused after %.1f s; freed after 1.5 s, taken after %.1f s\n",
        std::chrono::duration<double>(waited).count(),
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

// A station frozen inside its take (its row locked, nothing sent) is cut by the server within
// its idle limit, and the others go on.
TEST_P(SqlLedgerTest, AStationFrozenInsideItsTakeIsCutByTheServer) {
    const SequenceDefinition sequence = Define();
    odbc::Session frozen;
    // The limits every station's session sets: the figure printed is what a line sees.
    ASSERT_TRUE(frozen.Connect(connection_, 5));
    ASSERT_TRUE(frozen
                    .Run("UPDATE zq_sequences SET next_position = next_position + 1 WHERE "
                         "name = ?",
                         {sequence.name})
                    .Ok());
    SqlLedgerOptions options;
    options.reconnectBound = 20s;
    options.retryInterval = 100ms;
    auto ledger = Open(sequence, "s", TestSerials(), options);
    const auto started = std::chrono::steady_clock::now();
    const SerialTake take = ledger->TakeSerial(Chip("COM21"));
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(take.result, TakeResult::Taken) << take.message;
    EXPECT_EQ(take.serial, *TestSerials()(sequence.firstSerial, 0)) << "the frozen take is undone";
    EXPECT_LT(waited, 9s);
    std::printf("[   INFO   ] a frozen station's row freed by the server: the take waited %.1f s\n",
                std::chrono::duration<double>(waited).count());
}

// Written again after a lost answer, a record met as a duplicate has landed only when its own
// key is there: a duplicate of anything else (here the id a row made by hand took) is a refusal.
TEST_P(SqlLedgerTest, ADuplicateOfAnotherKeyIsNeverTakenAsLanded) {
    if (std::string(GetParam().name) != "PostgreSql") {
        GTEST_SKIP() << "MariaDB's counter moves past an id given by hand: no such duplicate";
    }
    const SequenceDefinition sequence = Define();
    auto ledger = Open(sequence, "s");
    const SerialTake take = ledger->TakeSerial(Chip("COM21"));
    ASSERT_EQ(take.result, TakeResult::Taken) << take.message;
    Execute(
        "INSERT INTO zq_records (id, record_key, sequence_name, recorded_at, station, port, "
        "serial, vid, pid, product, locked, outcome, status_text) SELECT last_value + 1, "
        "'by-hand-' || last_value, ?, 't', 'x', 'x', 'x', '2E1B', '6C04', 'x', 0, 'failed', '' "
        "FROM zq_records_id_seq",
        {sequence.name});
    EXPECT_FALSE(ledger->Record(Outcome("COM21", take.serial, BatchOutcome::Verified)));
    EXPECT_EQ(ledger->UnrecordedSerials(), std::vector<std::string>{take.serial});
}

TEST_P(SqlLedgerTest, ARowEditedByHandIsRefusedAtTheStart) {
    const SequenceDefinition sequence = Define();
    Execute("UPDATE zq_sequences SET first_serial = ? WHERE name = ?",
            {std::string("LINE1-000001"), sequence.name});
    const Result<SequenceDefinition, LedgerError> read = ReadSequence(connection_, sequence.name);
    ASSERT_TRUE(read.Ok()) << ErrorOf(read);
    const Result<ChipIdentity> identity = IdentityOfSequence(read.Value());
    ASSERT_FALSE(identity.Ok());
    EXPECT_NE(identity.Err().message.find("\"LINE1-000001\" is not 1 to 8 characters"),
              std::string::npos)
        << identity.Err().message;
}

// Two sequences of one VID and PID over the same serials: the definition says so, and neither
// hands out a serial the other has used.
TEST_P(SqlLedgerTest, OverlappingSequencesOfOneIdentityNeverShareASerial) {
    // Two letters of their own for this run: the test's serials are counted up after them.
    const int run = std::stoi(UniqueSerial('O').substr(3, 3));
    const std::string prefix = {static_cast<char>('A' + run % 26),
                                static_cast<char>('A' + run / 26 % 26)};
    SequenceDefinition a{Unique("seq"), prefix + "000001", "2E1B", "6C04", "usb2.0 serial", false};
    SequenceDefinition b = a;
    b.name = Unique("seq");
    b.firstSerial = prefix + "000003";
    ASSERT_TRUE(DefineSequence(connection_, a).Ok());
    ASSERT_TRUE(DefineSequence(connection_, b).Ok());
    const auto overlapping = OverlappingSequences(connection_, b);
    ASSERT_TRUE(overlapping.Ok()) << ErrorOf(overlapping);
    EXPECT_EQ(overlapping.Value(), std::vector<std::string>{a.name});
    SequenceDefinition apart = a;
    apart.pid = "6C05";
    EXPECT_TRUE(OverlappingSequences(connection_, apart).Value().empty());
    // Every scheme: a list holding a serial of a counted range, a second list sharing one.
    SequenceDefinition list = a;
    list.name = Unique("seq");
    list.firstSerial = "";
    list.scheme = SequenceScheme::List;
    SequenceDefinition list2 = list;
    list2.name = Unique("seq");
    ASSERT_TRUE(DefineSequence(connection_, list, {prefix + "000002"}).Ok());
    ASSERT_TRUE(DefineSequence(connection_, list2, {prefix + "X00001", prefix + "000002"}).Ok());
    EXPECT_EQ(OverlappingSequences(connection_, list2).Value(),
              (std::vector<std::string>{a.name, b.name, list.name}));

    auto first = Open(a, "s1", SerialSequence::At);
    auto second = Open(b, "s2", SerialSequence::At);
    std::set<std::string> taken;
    for (int i = 0; i < 4; i++) {
        for (SqlLedger* ledger : {first.get(), second.get()}) {
            const SerialTake take = ledger->TakeSerial(Chip("COM21"));
            ASSERT_EQ(take.result, TakeResult::Taken) << take.message;
            EXPECT_TRUE(taken.insert(take.serial).second) << take.serial << " twice";
        }
    }
    // The skipped serial is on record, with why.
    const auto exported = Export(connection_, a.name);
    ASSERT_TRUE(exported.Ok()) << ErrorOf(exported);
    bool skipped = false;
    for (const LedgerEntry& entry : exported.Value()) {
        skipped = skipped || entry.status.find("\"" + b.name + "\" of the same VID and PID") !=
                                 std::string::npos;
    }
    EXPECT_TRUE(skipped);
}

INSTANTIATE_TEST_SUITE_P(Servers, SqlLedgerTest, kServers, ServerName);

}  // namespace
