// One connection to a database through ODBC, as the SQL ledger uses it: autocommit off, every
// value a bound parameter, text UTF-8 on this side and UTF-16 (SQL_C_WCHAR) on the wire. Only
// the wide and unsuffixed entry points are called: Wine's odbc32 has no ANSI ones.
// Not thread-safe: its owner serialises the calls.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "odbc_handles.h"
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

// Where a session can be made to fail as a real link can, so that the ledger's answer to each
// failure is tested against real servers. The tests supply one; the programs never do.
class FaultInjector {
public:
    virtual ~FaultInjector() = default;
    // Before each of the caller's statements: the failure to answer with instead of running it.
    virtual std::optional<Failure> BeforeStatement() = 0;
    // Before a commit is sent, and after it has landed: the connection lost there, with this
    // failure; the session drops its link as it would a dead one.
    virtual std::optional<Failure> LoseBeforeCommit() = 0;
    virtual std::optional<Failure> LoseAfterCommit() = 0;
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
struct Api;

class Session {
public:
    Session() = default;
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Connects with autocommit off, so that nothing is kept before Commit. The driver's completed
    // connection string is never asked for: it would hold the password in clear.
    // The limits are set on the session before it is handed out. ODBC itself is loaded at the
    // first connect (on Windows, odbc32.dll) and kept as long as the session.
    ::Result<void, Failure> Connect(const std::string& connection, int loginTimeoutSeconds,
                                    const Limits& limits = {});
    void Disconnect();
    bool Connected() const { return static_cast<bool>(connection_); }
    Engine DatabaseEngine() const { return engine_; }

    // Runs one statement with its parameters and reads every row it returns. Each statement is
    // prepared once per connection and reused.
    Answer Run(const std::string& sql, const std::vector<Value>& parameters = {});
    ::Result<void, Failure> Commit();
    void Rollback();

    // Only for tests: the faults to inject, kept across reconnects; null for none.
    void InjectFaults(FaultInjector* faults) { faults_ = faults; }

private:
    // ODBC's entry points: declared before the handles, so that it outlives every one of them.
    std::shared_ptr<const Api> api_;
    EnvironmentHandle environment_;
    ConnectionHandle connection_;
    std::map<std::string, StatementHandle> prepared_;
    Engine engine_ = Engine::Other;
    // Values travel as UTF-16, except to MariaDB: its Unicode driver takes any UTF-16 unit whose
    // low byte is D8 to DB (站, Ø, ...) for the start of a surrogate pair, both ways, and
    // garbles the text. Its connections speak utf8mb4, so UTF-8 goes through as it is.
    bool wideText_ = true;
    std::string connectionText_;  // for scrubbing its password from messages; never shown

    FaultInjector* faults_ = nullptr;

    Failure Diagnose(short handleType, void* handle);
    // Run's steps: the statement prepared once per connection, its parameters bound, its rows
    // read.
    ::Result<void*, Failure> Prepared(const std::string& sql);
    ::Result<void, Failure> Bind(void* statement, const std::vector<Value>& parameters,
                                 BoundParameters& bound);
    ::Result<void, Failure> Fetch(void* statement, short columns, std::vector<Row>& rows);
    ::Result<std::optional<std::string>, Failure> ReadColumn(void* statement,
                                                             unsigned short column);
    ::Result<void, Failure> Open(const std::string& connection, int loginTimeoutSeconds,
                                 const Limits& limits);
    ::Result<void, Failure> OpenEnvironment();
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
