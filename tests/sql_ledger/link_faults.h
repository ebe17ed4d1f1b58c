// The tests' fault injector: makes the ledger's session fail where a real link can, counted from
// 1 per session and kept across its reconnects. A test sets a count to the next statement or
// commit (`faults.queryFails = faults.queries + 1`) to fail that one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "odbc_session.h"

struct LinkFaults : odbc::FaultInjector {
    int commitLostBefore = 0;  // this commit fails, the connection lost, before it lands
    int commitLostAfter = 0;   // this commit lands, then the connection is lost with its answer
    int queryFails = 0;        // this statement fails; the connection stays
    std::string queryFailState = "HY000";  // with this SQLSTATE: "40P01" is a deadlock
    int64_t queryFailNative = 0;           // and this engine's number (MariaDB's 1969: time-out)
    int lostFrom = 0;  // from this statement on, every one fails as a lost connection
    int commits = 0;
    int queries = 0;

    std::optional<odbc::Failure> BeforeStatement() override {
        const int query = ++queries;
        if (query == queryFails) {
            return odbc::Failure{queryFailState, "a failure injected by a test", false,
                                 queryFailNative};
        }
        if (lostFrom != 0 && query >= lostFrom) {
            return odbc::Failure{"08S01", "a lost connection injected by a test", true};
        }
        return std::nullopt;
    }
    std::optional<odbc::Failure> LoseBeforeCommit() override {
        return ++commits == commitLostBefore ? Lost() : std::nullopt;
    }
    std::optional<odbc::Failure> LoseAfterCommit() override {
        return commits == commitLostAfter ? Lost() : std::nullopt;
    }

private:
    static std::optional<odbc::Failure> Lost() {
        return odbc::Failure{"08S01", "the connection was lost (a failure injected by a test)",
                             true};
    }
};
