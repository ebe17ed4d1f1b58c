// The SQL ledger's tests against real servers: the same tests on PostgreSQL and on MariaDB, each
// started by scripts/db-servers.sh, which exports the connection strings (ZQ_TEST_PG,
// ZQ_TEST_MARIADB) and a command that stops and restarts a server (ZQ_TEST_PG_CONTROL, ...).
// Every test works on sequences of its own, so the same servers serve several runs.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>

#include "ledger_operations.h"
#include "odbc_session.h"
#include "sequence_identity.h"
#include "serial_sequence.h"
#include "sql_ledger.h"

namespace sql_test {

struct Server {
    const char* name;
    const char* connection;  // the environment variables that name it
    const char* control;
};

// Stands in for the production core's serial rules: any rule will do for the ledger, which only
// stores what it hands out. Runs out after `available` serials.
inline SerialAt TestSerials(uint64_t available = 100000) {
    return [available](const std::string& first, uint64_t position) -> std::optional<std::string> {
        if (position >= available) {
            return std::nullopt;
        }
        return first + "/" + std::to_string(position);
    };
}

// Why a result failed; "" when it did not.
template <typename R>
std::string ErrorOf(const R& result) {
    return result ? std::string() : result.Err().message;
}

inline std::string Unique(const std::string& what) {
    static std::atomic<int> counter{0};
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return what + "-" +
           std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()) +
           "-" + std::to_string(counter++);
}

// A first serial the options accept (a letter and seven digits), new at every call of a run: the
// ledger checks a sequence's values as the options do.
inline std::string UniqueSerial(char letter) {
    static std::atomic<int64_t> counter{0};
    const int64_t millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    char text[16];
    std::snprintf(text, sizeof text, "%c%07lld", letter,
                  static_cast<long long>((millis + counter++) % 10000000));
    return text;
}

inline LedgerEntry Chip(const std::string& port) {
    LedgerEntry chip;
    chip.port = port;
    chip.vid = "2E1B";
    chip.pid = "6C04";
    chip.product = "usb2.0 serial";
    return chip;
}

inline LedgerEntry Outcome(const std::string& port, const std::string& serial,
                           BatchOutcome outcome) {
    LedgerEntry entry = Chip(port);
    entry.serial = serial;
    entry.outcome = outcome;
    entry.status = outcome == BatchOutcome::Verified ? "写入成功" : "写入失败";
    return entry;
}

class SqlLedgerTest : public testing::TestWithParam<Server> {
protected:
    void SetUp() override {
        const char* connection = std::getenv(GetParam().connection);
        if (connection == nullptr || *connection == '\0') {
            GTEST_SKIP() << GetParam().connection
                         << " is not set: start the servers with scripts/db-servers.sh "
                            "(scripts/test-all.sh does)";
        }
        connection_ = connection;
        const Result<bool, LedgerError> init = InitLedger(connection_);
        ASSERT_TRUE(init.Ok()) << ErrorOf(init);
    }

    // A new sequence of its own for the test.
    SequenceDefinition Define(const std::string& product = "usb2.0 serial") {
        SequenceDefinition sequence{Unique("seq"), UniqueSerial('Z'), "2E1B",
                                    "6C04",        product,           false};
        const Result<bool, LedgerError> defined = DefineSequence(connection_, sequence);
        EXPECT_TRUE(defined.Ok()) << ErrorOf(defined);
        EXPECT_TRUE(defined.Value());
        return sequence;
    }

    std::unique_ptr<SqlLedger> Open(const SequenceDefinition& sequence, const std::string& station,
                                    SerialAt serials = TestSerials(),
                                    SqlLedgerOptions options = {}) {
        auto opened = SqlLedger::Open(connection_, sequence.name, station, std::move(serials),
                                      std::move(options));
        EXPECT_TRUE(opened.Ok()) << ErrorOf(opened);
        return opened ? std::move(*opened) : nullptr;
    }

    // Runs one statement and commits, as an administrator would by hand.
    void Execute(const std::string& sql, const std::vector<odbc::Value>& parameters) {
        odbc::Session session;
        ASSERT_TRUE(session.Connect(connection_, 5));
        const odbc::Answer result = session.Run(sql, parameters);
        ASSERT_TRUE(result.Ok()) << result.Err().message;
        ASSERT_TRUE(session.Commit());
    }

    // Whether the environment says how to stop and start the server.
    bool CanControl() const {
        const char* control = std::getenv(GetParam().control);
        return control != nullptr && *control != '\0';
    }
    bool Control(const char* action) {
        return std::system((std::string(std::getenv(GetParam().control)) + " " + action).c_str()) ==
               0;
    }

    std::string connection_;
};

// The servers every test runs against.
inline const auto kServers =
    testing::Values(Server{"PostgreSql", "ZQ_TEST_PG", "ZQ_TEST_PG_CONTROL"},
                    Server{"MariaDb", "ZQ_TEST_MARIADB", "ZQ_TEST_MARIADB_CONTROL"});
inline std::string ServerName(const testing::TestParamInfo<Server>& info) {
    return info.param.name;
}

}  // namespace sql_test
