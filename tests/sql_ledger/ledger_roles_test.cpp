// Least privilege and an append-only record on real servers: the logins scripts/db-servers.sh
// makes (zq_station, zq_auditor) given their roles by the owner's `ledger grant`, then asked to do
// what their role allows and what no one may.
#include "ledger_roles.h"
#include "server_fixture.h"

namespace {

using namespace sql_test;

class RolesTest : public SqlLedgerTest {
protected:
    void SetUp() override {
        SqlLedgerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        for (auto [suffix, login] : {std::pair{"_STATION", &station_}, {"_AUDITOR", &auditor_}}) {
            const char* text = std::getenv((std::string(GetParam().connection) + suffix).c_str());
            if (text == nullptr || *text == '\0') {
                GTEST_SKIP() << "no " << suffix << " login: start the servers with "
                             << "scripts/db-servers.sh";
            }
            *login = text;
        }
        ASSERT_TRUE(GrantRole(connection_, LedgerRole::Station, "zq_station").Ok());
        ASSERT_TRUE(GrantRole(connection_, LedgerRole::Auditor, "zq_auditor").Ok());
    }

    // A statement run and committed with a login; the server's refusal, "" when it ran.
    static std::string Refusal(const std::string& connection, const std::string& sql,
                               const std::vector<odbc::Value>& parameters = {}) {
        odbc::Session session;
        if (!session.Connect(connection, 5)) {
            return "could not connect";
        }
        odbc::Answer answer = session.Run(sql, parameters);
        if (!answer) {
            session.Rollback();
            return answer.Err().message.empty() ? "refused" : answer.Err().message;
        }
        if (auto committed = session.Commit(); !committed) {
            return committed.Err().message;
        }
        return "";
    }

    // A sequence with one serial taken and verified by the station's login.
    std::pair<SequenceDefinition, std::string> Programmed() {
        const SequenceDefinition sequence = Define();
        auto ledger = SqlLedger::Open(station_, sequence.name, "st", TestSerials());
        EXPECT_TRUE(ledger.Ok()) << ErrorOf(ledger);
        if (!ledger) {
            return {sequence, ""};
        }
        EXPECT_EQ((*ledger)->LoginWarning(), "") << "a station login holds no more than it needs";
        const SerialTake take = (*ledger)->TakeSerial(Chip("COM21"));
        EXPECT_EQ(take.result, TakeResult::Taken) << take.message;
        EXPECT_TRUE((*ledger)->Record(Outcome("COM21", take.serial, BatchOutcome::Verified)));
        return {sequence, take.serial};
    }

    std::string station_;
    std::string auditor_;
};

TEST_P(RolesTest, AStationLoginTakesAndRecordsButCannotRewriteTheRecord) {
    const auto [sequence, serial] = Programmed();
    ASSERT_FALSE(serial.empty());
    // An audit and a reprint only append records: the same login does both.
    SqlLedgerOptions recordOnly;
    recordOnly.takes = false;
    auto audit = SqlLedger::Open(station_, sequence.name, "audit", TestSerials(), recordOnly);
    ASSERT_TRUE(audit.Ok()) << ErrorOf(audit);
    EXPECT_TRUE((*audit)->Record(Outcome("COM22", serial, BatchOutcome::Audited)));
    EXPECT_TRUE((*audit)->Record(Outcome("", serial, BatchOutcome::LabelReprinted)));

    for (const char* table : {"zq_records", "zq_serials"}) {
        SCOPED_TRACE(table);
        const std::string name = table;
        EXPECT_NE(
            Refusal(station_, "UPDATE " + name + " SET station = 'x' WHERE serial = ?", {serial}),
            "");
        EXPECT_NE(Refusal(station_, "DELETE FROM " + name + " WHERE serial = ?", {serial}), "");
        EXPECT_NE(Refusal(station_, "TRUNCATE TABLE " + name), "");
        // The owner too: the database keeps the history whoever asks.
        EXPECT_NE(Refusal(connection_, "UPDATE " + name + " SET station = 'x' WHERE serial = ?",
                          {serial}),
                  "");
        EXPECT_NE(Refusal(connection_, "DELETE FROM " + name + " WHERE serial = ?", {serial}), "");
    }
    // The station's privilege on a sequence is its position, which never moves back.
    EXPECT_NE(Refusal(station_, "UPDATE zq_sequences SET first_serial = 'X' WHERE name = ?",
                      {sequence.name}),
              "");
    EXPECT_NE(Refusal(connection_, "UPDATE zq_sequences SET next_position = 0 WHERE name = ?",
                      {sequence.name}),
              "");
    const auto report = Report(connection_, sequence.name);
    ASSERT_TRUE(report.Ok()) << ErrorOf(report);
    EXPECT_EQ(report->serialsUsed, 1u);
    EXPECT_EQ(report->records.at(BatchOutcome::Audited), 1u);

    // The owner's own login could: its batch says so, and still runs.
    auto owners = Open(sequence, "owner");
    ASSERT_NE(owners, nullptr);
    EXPECT_NE(owners->LoginWarning().find("could change or delete"), std::string::npos);
}

TEST_P(RolesTest, AnAuditorReadsTheReportAndCanTakeNothing) {
    const auto [sequence, serial] = Programmed();
    const auto report = Report(auditor_, sequence.name);
    ASSERT_TRUE(report.Ok()) << ErrorOf(report);
    EXPECT_EQ(report->highestSerial, serial);

    const auto batch = SqlLedger::Open(auditor_, sequence.name, "st", TestSerials());
    EXPECT_NE(ErrorOf(batch).find("cannot take serials"), std::string::npos) << ErrorOf(batch);
    // Nothing was taken on the way.
    EXPECT_EQ(Report(connection_, sequence.name)->serialsUsed, 1u);
    EXPECT_NE(Refusal(auditor_, "UPDATE zq_sequences SET next_position = next_position + 1"), "");
    SequenceDefinition other = sequence;
    other.name = Unique("seq");
    EXPECT_FALSE(DefineSequence(auditor_, other).Ok());
    EXPECT_FALSE(DefineSequence(station_, other).Ok()) << "a station defines no sequence";
    // An engineer defines and imports lists, an import's short steps included.
    ASSERT_TRUE(GrantRole(connection_, LedgerRole::Engineer, "zq_station").Ok());
    SequenceDefinition list = other;
    list.firstSerial = "";
    list.scheme = SequenceScheme::List;
    const auto listed = DefineSequence(station_, list, {"ENG00001"});
    EXPECT_TRUE(listed.Ok()) << ErrorOf(listed);
    const auto imported = ImportSerials(station_, list.name, {"ENG00002", "ENG00003"});
    EXPECT_EQ(imported.Ok() ? *imported : 0u, 3u) << ErrorOf(imported);
    // A role given again replaces the one before.
    ASSERT_TRUE(GrantRole(connection_, LedgerRole::Auditor, "zq_station").Ok());
    EXPECT_NE(ErrorOf(SqlLedger::Open(station_, sequence.name, "st", TestSerials()))
                  .find("cannot take serials"),
              std::string::npos);
    EXPECT_FALSE(GrantRole(connection_, LedgerRole::Station, "zq'; DROP TABLE x; --").Ok());
}

INSTANTIATE_TEST_SUITE_P(Servers, RolesTest, kServers, ServerName);

}  // namespace
