// One connection to a database through ODBC, as the SQL ledger uses it: autocommit off, every
// value a bound parameter, text UTF-8 on this side and UTF-16 (SQL_C_WCHAR) on the wire. Only
// the wide and unsuffixed entry points are called: Wine's odbc32 has no ANSI ones.
// Not thread-safe: its owner serialises the calls.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "result.h"

namespace odbc {

enum class Engine { PostgreSql, MariaDb, SqlServer, Other };

// A statement's parameter: text (UTF-8) or a whole number.
using Value = std::variant<std::string, int64_t>;
// One row of a result, every column as text (UTF-8); empty for NULL.
using Row = std::vector<std::optional<std::string>>;

struct Failure {
    std::string state;    // SQLSTATE, e.g. "08S01"
    std::string message;  // the driver's and the server's words, passwords scrubbed
    bool connectionLost = false;
    int64_t nativeError = 0;  // the engine's own number for it
};

// How long the server lets this session wait, so that a station frozen inside a transaction
// (a power cut, a pulled cable) holds the sequence's row for seconds, not until the server notices
// the dead link (hours, with the default TCP keepalive).
struct Limits {
    int lockWaitSeconds = 3;           // a statement waiting for a row another session holds
    int statementSeconds = 10;         // any one statement
    int idleInTransactionSeconds = 5;  // the server ends a session idle inside a transaction
};

// A test's seam: makes this session fail where a real link can, so that the ledger's answers to
// each failure are tested against real servers. Counted from 1 per session.
struct Faults {
    int commitLostBefore = 0;  // this commit fails, the connection lost, before it lands
    int commitLostAfter = 0;   // this commit lands, then the connection is lost with its answer
    int queryFails = 0;        // this statement fails; the connection stays
    std::string queryFailState = "HY000";  // with this SQLSTATE: "40P01" is a deadlock
    int64_t queryFailNative = 0;           // and this engine's number (MariaDB's 1969: time-out)
    int lostFrom = 0;  // from this statement on, every one fails as a lost connection
    int commits = 0;
    int queries = 0;
};

// What a statement returned.
struct Rows {
    std::vector<Row> rows;
    int64_t changed = 0;  // rows an UPDATE or INSERT changed
};
// A statement's rows, or why it failed.
using Answer = ::Result<Rows, Failure>;

// The buffers a statement's parameters are bound to.
struct BoundParameters;

class Session {
public:
    Session() = default;
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Connects with autocommit off, so that nothing is kept before Commit. The driver's completed
    // connection string is never asked for: it would hold the password in clear.
    // The limits are set on the session before it is handed out.
    ::Result<void, Failure> Connect(const std::string& connection, int loginTimeoutSeconds,
                                    const Limits& limits = {});
    void Disconnect();
    bool Connected() const { return connection_ != nullptr; }
    Engine DatabaseEngine() const { return engine_; }

    // Runs one statement with its parameters and reads every row it returns. Each statement is
    // prepared once per connection and reused.
    Answer Run(const std::string& sql, const std::vector<Value>& parameters = {});
    ::Result<void, Failure> Commit();
    void Rollback();

    // Only for tests: the faults to inject, kept across reconnects; null for none.
    void InjectFaults(Faults* faults) { faults_ = faults; }

private:
    void* environment_ = nullptr;  // SQLHENV
    void* connection_ = nullptr;   // SQLHDBC
    std::map<std::string, void*> prepared_;
    Engine engine_ = Engine::Other;
    // Values travel as UTF-16, except to MariaDB: its Unicode driver takes any UTF-16 unit whose
    // low byte is D8 to DB (站, Ø, ...) for the start of a surrogate pair, both ways, and
    // garbles the text. Its connections speak utf8mb4, so UTF-8 goes through as it is.
    bool wideText_ = true;
    std::string connectionText_;  // for scrubbing its password from messages; never shown

    Faults* faults_ = nullptr;

    Failure Diagnose(short handleType, void* handle);
    // Run's steps: a test's injected failure, the statement prepared once per connection, its
    // parameters bound, its rows read.
    ::Result<void, Failure> InjectedFault();
    ::Result<void*, Failure> Prepared(const std::string& sql);
    ::Result<void, Failure> Bind(void* statement, const std::vector<Value>& parameters,
                                 BoundParameters& bound);
    ::Result<void, Failure> Fetch(void* statement, short columns, std::vector<Row>& rows);
    ::Result<std::optional<std::string>, Failure> ReadColumn(void* statement,
                                                             unsigned short column);
    ::Result<void, Failure> Open(const std::string& connection, int loginTimeoutSeconds,
                                 const Limits& limits);
    ::Result<void, Failure> SetLimits(const Limits& limits);
    // A connection whose values go as UTF-8 (MariaDB's) must read and answer in it.
    ::Result<void, Failure> CheckUtf8Connection();
};

// True for the SQLSTATEs of a unique or primary key refused.
bool IsDuplicate(const Failure& failure);
// True for a table that does not exist.
bool IsMissingTable(const Failure& failure);
// True for a statement that may succeed when run again: a transaction the server chose to abort
// (a deadlock or a serialisation failure), or a wait for a lock or a statement cut at its limit.
bool IsRetryable(const Failure& failure);
// True for a wait for another session's lock cut at the session's limit.
bool IsLockTimeout(const Failure& failure);

}  // namespace odbc
