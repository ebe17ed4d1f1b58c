// Format and list sequences on a line: stations sharing one, never a serial twice; a period that
// runs out and the next one, on a clock the test moves; a list's import, all or nothing.
#include "server_fixture.h"

namespace {

using namespace sql_test;
using namespace std::chrono;

// Monday 7 December 2026, 10:00 UTC: ISO week 50 of 2026.
const system_clock::time_point kWeek50 = sys_days(2026y / December / 7) + 10h;

class SchemeTest : public SqlLedgerTest {
protected:
    // A sequence of its own, with a PID of its own: serials are unique per VID and PID, and every
    // run of a format sequence expands to the same serials in the same week.
    SequenceDefinition Scheme(SequenceScheme scheme, const std::string& format = "") {
        static std::atomic<unsigned> pid{
            static_cast<unsigned>(system_clock::now().time_since_epoch().count() / 1000 % 0xF000)};
        char text[8];
        std::snprintf(text, sizeof text, "%04X", 0x0FFF + pid++ % 0xF000);
        SequenceDefinition sequence{Unique("seq"), "", "2E1B", text, "usb2.0 serial", false};
        sequence.scheme = scheme;
        sequence.serialFormat = format;
        return sequence;
    }

    void DefineList(const SequenceDefinition& sequence, const std::vector<std::string>& serials) {
        const auto defined = DefineSequence(connection_, sequence, serials);
        ASSERT_TRUE(defined.Ok()) << ErrorOf(defined);
    }

    // Takes from three stations of two workers each at once until no serial is handed out; every
    // serial taken, in the order each station took them.
    std::vector<std::string> TakeAtThreeStations(const SequenceDefinition& sequence, int perWorker,
                                                 SqlLedgerOptions options = {}) {
        std::vector<std::unique_ptr<SqlLedger>> stations;
        for (int s = 0; s < 3; s++) {
            stations.push_back(
                Open(sequence, "station-" + std::to_string(s), TestSerials(), options));
        }
        std::mutex takenLock;
        std::vector<std::string> taken;
        std::vector<std::thread> workers;
        for (int w = 0; w < 6; w++) {
            workers.emplace_back([&, w] {
                SqlLedger& station = *stations[w / 2];
                for (int c = 0; c < perWorker; c++) {
                    const SerialTake take = station.TakeSerial(Chip("COM2" + std::to_string(w)));
                    if (take.result != TakeResult::Taken) {
                        break;
                    }
                    EXPECT_TRUE(station.Record(
                        Outcome("COM2" + std::to_string(w), take.serial, BatchOutcome::Verified)));
                    std::lock_guard<std::mutex> lock(takenLock);
                    taken.push_back(take.serial);
                }
            });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
        return taken;
    }
};

TEST_P(SchemeTest, ThreeStationsOnOneListTakeEachSerialOnceThenRunOut) {
    const SequenceDefinition sequence = Scheme(SequenceScheme::List);
    std::vector<std::string> list;
    for (int i = 0; i < 40; i++) {
        list.push_back("LS" + std::to_string(100000 + i * 7));
    }
    DefineList(sequence, list);

    std::vector<std::string> taken = TakeAtThreeStations(sequence, 10);
    std::set<std::string> distinct(taken.begin(), taken.end());
    EXPECT_EQ(distinct.size(), taken.size()) << "a serial was taken twice";
    EXPECT_EQ(distinct, std::set<std::string>(list.begin(), list.end()));

    const SerialTake after = Open(sequence, "late")->TakeSerial(Chip("COM21"));
    EXPECT_EQ(after.result, TakeResult::RunOut);
    EXPECT_NE(after.message.find("40 in the list"), std::string::npos) << after.message;
    const auto report = Report(connection_, sequence.name);
    ASSERT_TRUE(report.Ok()) << ErrorOf(report);
    EXPECT_EQ(report->serialsFree, 0u);
    EXPECT_EQ(report->serialsUsed, 40u);
    EXPECT_EQ(report->serialsVerified, 40u);
    EXPECT_EQ(report->capacity, "40 in the list");
}

TEST_P(SchemeTest, ImportIsAllOrNothingAndTakesFollowImportOrder) {
    const SequenceDefinition sequence = Scheme(SequenceScheme::List);
    DefineList(sequence, {"IMP00003", "IMP00001"});

    const auto refused = ImportSerials(connection_, sequence.name, {"IMP00009", "IMP00001"});
    ASSERT_FALSE(refused.Ok());
    EXPECT_TRUE(refused.Err().refused);
    EXPECT_NE(ErrorOf(refused).find("IMP00001"), std::string::npos) << ErrorOf(refused);
    auto preview = PreviewSequence(connection_, sequence.name, 5);
    ASSERT_TRUE(preview.Ok()) << ErrorOf(preview);
    EXPECT_EQ(preview->serials, (std::vector<std::string>{"IMP00003", "IMP00001"}))
        << "a refused import added serials";

    const auto imported = ImportSerials(connection_, sequence.name, {"IMP00009", "IMP00002"});
    ASSERT_TRUE(imported.Ok()) << ErrorOf(imported);
    EXPECT_EQ(*imported, 4u);
    auto ledger = Open(sequence, "s");
    EXPECT_EQ(*ledger->NextSerial(), "IMP00003");
    for (const char* expected : {"IMP00003", "IMP00001", "IMP00009"}) {
        EXPECT_EQ(ledger->TakeSerial(Chip("COM21")).serial, expected);
    }
    preview = PreviewSequence(connection_, sequence.name, 5);
    ASSERT_TRUE(preview.Ok()) << ErrorOf(preview);
    EXPECT_EQ(preview->serials, std::vector<std::string>{"IMP00002"});
    EXPECT_EQ(preview->after, "IMP00009");
    EXPECT_NE(preview->stop.find("4 in the list"), std::string::npos) << preview->stop;
    EXPECT_EQ(Report(connection_, sequence.name)->serialsFree, 1u);
}

// The ledger checks what it stores and what it reads as the options do, whoever calls it or
// edited its rows.
TEST_P(SchemeTest, ValuesAndRowsTheOptionsWouldRefuseNeverReachAChip) {
    SequenceDefinition badId = Scheme(SequenceScheme::From);
    badId.firstSerial = "ZQ000001";
    badId.vid = "XYZ1";
    SequenceDefinition badOffset = Scheme(SequenceScheme::Format, "B{YY}{WW}{N:2}Q");
    badOffset.utcOffset = "+25:00";
    const SequenceDefinition list = Scheme(SequenceScheme::List);
    for (const auto& [sequence, serials] :
         {std::pair{badId, std::vector<std::string>{}}, {badOffset, {}}, {list, {"BAD 0001"}}}) {
        const auto refused = DefineSequence(connection_, sequence, serials);
        EXPECT_TRUE(!refused.Ok() && refused.Err().refused) << sequence.name;
    }
    DefineList(list, {"LST00001", "LST00002", "LST00003"});
    EXPECT_TRUE(ImportSerials(connection_, list.name, {"LST\t0004"}).Err().refused);
    SequenceDefinition counted = Scheme(SequenceScheme::From);
    counted.firstSerial = "CNT00001";
    ASSERT_TRUE(DefineSequence(connection_, counted).Ok());
    const auto noList = ImportSerials(connection_, counted.name, {"CNT00009"});
    EXPECT_NE(ErrorOf(noList).find("takes no list"), std::string::npos) << ErrorOf(noList);
    EXPECT_EQ(PreviewSequence(connection_, counted.name, 1)->serials.front(), "CNT00001");

    // A list's serial edited by hand is refused on record and the next one taken.
    Execute("UPDATE zq_list_serials SET serial = ? WHERE sequence_name = ? AND list_position = 0",
            {std::string("LST 0001"), list.name});
    const SerialTake take = Open(list, "s")->TakeSerial(Chip("COM21"));
    EXPECT_EQ(take.serial, "LST00002") << take.message;
    const auto records = Export(connection_, list.name);
    ASSERT_TRUE(records.Ok()) << ErrorOf(records);
    ASSERT_FALSE(records->empty());
    EXPECT_EQ(records->front().serial, "LST 0001");
    EXPECT_NE(records->front().status.find("not used"), std::string::npos);

    // A row of an unknown scheme, or whose offset is out of range, is never taken as a default.
    SequenceDefinition format = Scheme(SequenceScheme::Format, "F{YY}{WW}{N:2}Q");
    ASSERT_TRUE(DefineSequence(connection_, format).Ok());
    Execute("UPDATE zq_sequences SET utc_offset = '+25:00' WHERE name = ?", {format.name});
    Execute("UPDATE zq_sequences SET scheme = 'weekly' WHERE name = ?", {counted.name});
    for (const std::string& name : {format.name, counted.name}) {
        const auto opened = SqlLedger::Open(connection_, name, "s", TestSerials());
        EXPECT_NE(ErrorOf(opened).find("is refused"), std::string::npos) << ErrorOf(opened);
    }
}

// A long import holds the sequence's row only for its last step: a station takes meanwhile.
TEST_P(SchemeTest, AStationTakesWhileALongListIsImported) {
    const SequenceDefinition sequence = Scheme(SequenceScheme::List);
    DefineList(sequence, {"LNG00001", "LNG00002"});
    std::vector<std::string> more;
    for (int i = 0; i < 50000; i++) {
        char serial[16];
        std::snprintf(serial, sizeof serial, "M%07d", i);
        more.push_back(serial);
    }
    auto ledger = Open(sequence, "s");
    std::atomic<bool> importing{true};
    std::thread import([&] {
        const auto imported = ImportSerials(connection_, sequence.name, more);
        EXPECT_TRUE(imported.Ok()) << ErrorOf(imported);
        importing = false;
    });
    // Once the import is writing its rows, a take ends before the import does.
    odbc::Session reader;
    ASSERT_TRUE(reader.Connect(connection_, 5));
    for (int i = 0; i < 400 && importing; i++) {
        const odbc::Answer rows = reader.Run(
            "SELECT COUNT(*) FROM zq_list_serials WHERE sequence_name = ?", {sequence.name});
        reader.Rollback();
        if (rows && rows->rows.at(0).at(0).value_or("0") != "2") {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const auto started = steady_clock::now();
    const SerialTake take = ledger->TakeSerial(Chip("COM21"));
    const bool before = importing;
    const double waited = duration<double, std::milli>(steady_clock::now() - started).count();
    import.join();
    EXPECT_EQ(take.serial, "LNG00001") << take.message;
    EXPECT_TRUE(before) << "the take waited for the import";
    std::printf("[   INFO   ] a take during a 50,000-serial import waited %.1f ms\n", waited);
    EXPECT_EQ(PreviewSequence(connection_, sequence.name, 2)->serials,
              (std::vector<std::string>{"LNG00002", "M0000000"}));
}

TEST_P(SchemeTest, ThreeStationsOnOneWeeklyFormatRestartInTheNextWeekAndWaitWhenItRunsOut) {
    const SequenceDefinition sequence = Scheme(SequenceScheme::Format, "W{YY}{WW}{N:2}Q");
    ASSERT_TRUE(DefineSequence(connection_, sequence).Ok());
    auto now = std::make_shared<std::atomic<system_clock::time_point>>(kWeek50);
    SqlLedgerOptions options;
    options.clock = [now] { return now->load(); };

    // 99 per week: six workers take until the week runs out.
    std::vector<std::string> taken = TakeAtThreeStations(sequence, 20, options);
    std::set<std::string> distinct(taken.begin(), taken.end());
    EXPECT_EQ(distinct.size(), taken.size()) << "a serial was taken twice";
    EXPECT_EQ(taken.size(), 99u);
    EXPECT_EQ(*distinct.begin(), "W265001Q");
    EXPECT_EQ(*distinct.rbegin(), "W265099Q");

    auto ledger = Open(sequence, "s", TestSerials(), options);
    EXPECT_EQ(ledger->Capacity(), "99 per week");
    const SerialTake full = ledger->TakeSerial(Chip("COM21"));
    EXPECT_EQ(full.result, TakeResult::NotYet);
    EXPECT_NE(full.message.find("week"), std::string::npos) << full.message;
    EXPECT_FALSE(ledger->NextSerial()->has_value());

    // Sunday 20:00 UTC is Monday of week 51 at +08:00 already.
    *now = kWeek50 + 6 * 24h + 10h;
    EXPECT_EQ(ledger->TakeSerial(Chip("COM21")).result, TakeResult::NotYet);
    SequenceDefinition atOffset = Scheme(SequenceScheme::Format, "V{YY}{WW}{N:2}Q");
    atOffset.utcOffset = "+08:00";
    ASSERT_TRUE(DefineSequence(connection_, atOffset).Ok());
    EXPECT_EQ(Open(atOffset, "s", TestSerials(), options)->TakeSerial(Chip("COM21")).serial,
              "V265101Q");

    *now = kWeek50 + 7 * 24h;
    EXPECT_EQ(*ledger->NextSerial(), "W265101Q");
    const SerialTake next = ledger->TakeSerial(Chip("COM21"));
    ASSERT_EQ(next.result, TakeResult::Taken) << next.message;
    EXPECT_EQ(next.serial, "W265101Q");
    const auto preview = PreviewSequence(connection_, sequence.name, 2, options.clock);
    ASSERT_TRUE(preview.Ok()) << ErrorOf(preview);
    EXPECT_EQ(preview->serials, (std::vector<std::string>{"W265102Q", "W265103Q"}));
    EXPECT_EQ(preview->capacity, "99 per week");
}

TEST_P(SchemeTest, TheServersClockGivesTheDate) {
    const SequenceDefinition sequence = Scheme(SequenceScheme::Format, "S{YY}{MM}{DD}{N:1}");
    ASSERT_TRUE(DefineSequence(connection_, sequence).Ok());
    const SerialTake take = Open(sequence, "s")->TakeSerial(Chip("COM21"));
    ASSERT_EQ(take.result, TakeResult::Taken) << take.message;
    const year_month_day today{floor<days>(system_clock::now())};
    char expected[16];
    std::snprintf(expected, sizeof expected, "S%02d%02u%02u1", static_cast<int>(today.year()) % 100,
                  static_cast<unsigned>(today.month()), static_cast<unsigned>(today.day()));
    EXPECT_EQ(take.serial, expected);
}

// A server whose clock runs 400 days ahead of the station's (scripts/db-servers.sh starts one
// under libfaketime): a format's date is the server's, whatever the station's clock says.
TEST(SkewedServer, AFormatsDateIsTheServersNotTheStations) {
    const char* connection = std::getenv("ZQ_TEST_SKEWED");
    if (connection == nullptr || *connection == '\0') {
        GTEST_SKIP() << "ZQ_TEST_SKEWED is not set: no server on a clock of its own";
    }
    ASSERT_TRUE(InitLedger(connection).Ok());
    SequenceDefinition sequence{Unique("seq"), "", "2E1B", "6C04", "usb2.0 serial", false};
    sequence.scheme = SequenceScheme::Format;
    sequence.serialFormat = "K{YY}{MM}{DD}{N:1}";
    ASSERT_TRUE(DefineSequence(connection, sequence).Ok());
    odbc::Session session;
    ASSERT_TRUE(session.Connect(connection, 5));
    const odbc::Answer clock = session.Run("SELECT UNIX_TIMESTAMP()");
    ASSERT_TRUE(clock.Ok());
    const sys_seconds serverNow{seconds(std::stoll(clock->rows.at(0).at(0).value_or("0")))};
    ASSERT_GT(serverNow - system_clock::now(), hours(24 * 300))
        << "the server's clock is not ahead";
    auto ledger = SqlLedger::Open(connection, sequence.name, "s", TestSerials());
    ASSERT_TRUE(ledger.Ok()) << ErrorOf(ledger);
    const SerialTake take = (*ledger)->TakeSerial(Chip("COM21"));
    const year_month_day day{floor<days>(serverNow)};
    char expected[16];
    std::snprintf(expected, sizeof expected, "K%02d%02u%02u", static_cast<int>(day.year()) % 100,
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
    // The date only: a server kept between runs has used the day's first counters.
    EXPECT_EQ(take.serial.substr(0, 7), expected) << take.serial << " " << take.message;
}

TEST_P(SchemeTest, EveryRecordWordIsStoredAndExportedWithItsJob) {
    SequenceDefinition sequence = Scheme(SequenceScheme::From);
    sequence.firstSerial = UniqueSerial('J');
    sequence.job = "0A1B2C3D";
    sequence.jobDigest = "0A1B2C3D" + std::string(56, 'E');
    ASSERT_TRUE(DefineSequence(connection_, sequence).Ok());
    EXPECT_EQ(ReadSequence(connection_, sequence.name).Value(), sequence) << "the whole digest";
    // The same job file whose list or template changed since is another job.
    SequenceDefinition changed = sequence;
    changed.job = "5E6F7A8B";
    changed.jobDigest = "5E6F7A8B" + std::string(56, 'E');
    EXPECT_NE(ErrorOf(DefineSequence(connection_, changed))
                  .find("job \"0A1B2C3D\" (not \"5E6F7A8B\": the job file, its list or its "
                        "template has changed since)"),
              std::string::npos);
    auto ledger = Open(sequence, "s");
    const BatchOutcome words[] = {BatchOutcome::Verified,      BatchOutcome::Audited,
                                  BatchOutcome::AuditMismatch, BatchOutcome::Labelled,
                                  BatchOutcome::LabelFailed,   BatchOutcome::LabelReprinted,
                                  BatchOutcome::SkippedLocked};
    for (BatchOutcome word : words) {
        LedgerEntry entry = Outcome("COM21", "J1", word);
        entry.job = sequence.job;
        ASSERT_TRUE(ledger->Record(entry)) << OutcomeWord(word);
    }
    const auto exported = Export(connection_, sequence.name);
    ASSERT_TRUE(exported.Ok()) << ErrorOf(exported);
    ASSERT_EQ(exported->size(), std::size(words));
    for (size_t i = 0; i < std::size(words); i++) {
        EXPECT_EQ((*exported)[i].outcome, words[i]);
        EXPECT_EQ((*exported)[i].job, "0A1B2C3D");
    }
    EXPECT_EQ(Report(connection_, sequence.name)->records.at(BatchOutcome::LabelReprinted), 1u);
}

INSTANTIATE_TEST_SUITE_P(Servers, SchemeTest, kServers, ServerName);

}  // namespace
