#include "odbc_session.h"

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "password_scrub.h"
#include "utf_text.h"

// unixODBC and Windows both keep SQLWCHAR at 16 bits, so UTF-16 text passes as it is.
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));

namespace odbc {

namespace {

bool Succeeded(SQLRETURN code) {
    return code == SQL_SUCCESS || code == SQL_SUCCESS_WITH_INFO;
}

// The same UTF-16 units, as the type ODBC's wide entry points take; nothing is converted.
SQLWCHAR* SqlText(std::u16string& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

std::string StateOf(const SQLWCHAR* state) {
    std::string text;
    for (int i = 0; i < 5 && state[i] != 0; i++) {
        text.push_back(static_cast<char>(state[i]));
    }
    return text;
}

// A connection's loss shows as a connection exception (class 08), as the server ending the
// session (PostgreSQL's 57P0x), or as a MariaDB client error 2006 or 2013 under a general state.
bool LostConnectionState(const std::string& state, SQLINTEGER nativeError) {
    return state.rfind("08", 0) == 0 || state.rfind("57P0", 0) == 0 || state == "HYT01" ||
           nativeError == 2006 || nativeError == 2013;
}

Engine EngineNamed(const std::string& name) {
    if (name.find("PostgreSQL") != std::string::npos) {
        return Engine::PostgreSql;
    }
    if (name.find("MariaDB") != std::string::npos || name.find("MySQL") != std::string::npos) {
        return Engine::MariaDb;
    }
    if (name.find("SQL Server") != std::string::npos) {
        return Engine::SqlServer;
    }
    return Engine::Other;
}

}  // namespace

Session::~Session() {
    Disconnect();
}

Failure Session::Diagnose(short handleType, void* handle) {
    Failure failure;
    SQLSMALLINT record = 1;
    for (; record <= 8; record++) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLWCHAR message[1024] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN code =
            SQLGetDiagRecW(handleType, handle, record, state, &nativeError, message,
                           static_cast<SQLSMALLINT>(std::size(message)), &length);
        if (!Succeeded(code)) {
            break;
        }
        const size_t units = std::min<size_t>(length, std::size(message) - 1);
        // One line: some drivers break the server's message over several, with a hint.
        std::string text;
        for (char c : Utf16ToUtf8Replacing(
                 std::u16string(reinterpret_cast<const char16_t*>(message), units))) {
            const bool blank = c == '\n' || c == '\r' || c == '\t' || c == ' ';
            if (!blank) {
                text.push_back(c);
            } else if (!text.empty() && text.back() != ' ') {
                text.push_back(' ');
            }
        }
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        if (record == 1) {
            failure.state = StateOf(state);
            failure.nativeError = nativeError;
        }
        failure.connectionLost =
            failure.connectionLost || LostConnectionState(StateOf(state), nativeError);
        if (!failure.message.empty()) {
            failure.message += "; ";
        }
        failure.message += text;
    }
    if (record == 1) {
        failure.message = "the ODBC driver gave no reason";
    }
    // Some drivers report a dropped session under a general state: ask the connection itself.
    if (!failure.connectionLost && connection_ != nullptr && handleType != SQL_HANDLE_ENV) {
        SQLUINTEGER dead = SQL_CD_FALSE;
        if (Succeeded(
                SQLGetConnectAttr(connection_, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
            dead == SQL_CD_TRUE) {
            failure.connectionLost = true;
        }
    }
    failure.message = ScrubPasswords(failure.message, connectionText_);
    return failure;
}

::Result<void, Failure> Session::SetLimits(const Limits& limits) {
    std::vector<std::string> statements;
    const std::string lockWait = std::to_string(limits.lockWaitSeconds);
    const std::string statement = std::to_string(limits.statementSeconds);
    const std::string idle = std::to_string(limits.idleInTransactionSeconds);
    switch (engine_) {
        case Engine::PostgreSql:
            // Milliseconds; set for the session, not only this transaction.
            statements = {"SET lock_timeout = " + lockWait + "000",
                          "SET statement_timeout = " + statement + "000",
                          "SET idle_in_transaction_session_timeout = " + idle + "000"};
            break;
        case Engine::MariaDb:
            statements = {"SET SESSION innodb_lock_wait_timeout = " + lockWait,
                          "SET SESSION max_statement_time = " + statement,
                          "SET SESSION idle_transaction_timeout = " + idle};
            break;
        case Engine::SqlServer:
            // No server-side bound on an idle transaction: the lock wait bounds the others'.
            statements = {"SET LOCK_TIMEOUT " + lockWait + "000"};
            break;
        case Engine::Other:
            break;
    }
    for (const std::string& text : statements) {
        Answer set = Run(text);
        if (!set) {
            Rollback();
            return Fail(set.Err());
        }
    }
    // A setting made inside a transaction that is rolled back would go with it.
    return Commit();
}

::Result<void, Failure> Session::Connect(const std::string& connection, int loginTimeoutSeconds,
                                         const Limits& limits) {
    // A test's faults count the caller's statements and commits, not the session's own set-up.
    Faults* const faults = std::exchange(faults_, nullptr);
    ::Result<void, Failure> opened = Open(connection, loginTimeoutSeconds, limits);
    faults_ = faults;
    return opened;
}

::Result<void, Failure> Session::Open(const std::string& connection, int loginTimeoutSeconds,
                                      const Limits& limits) {
    Disconnect();
    connectionText_ = connection;
    if (environment_ == nullptr) {
        SQLHENV environment = SQL_NULL_HENV;
        if (!Succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &environment))) {
            return Fail(Failure{"", "ODBC is not available (no environment handle)", false});
        }
        environment_ = environment;
        SQLSetEnvAttr(environment, SQL_ATTR_ODBC_VERSION,
                      reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(SQL_OV_ODBC3)), 0);
    }
    SQLHDBC handle = SQL_NULL_HDBC;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_DBC, environment_, &handle))) {
        return Fail(Diagnose(SQL_HANDLE_ENV, environment_));
    }
    SQLSetConnectAttr(handle, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(loginTimeoutSeconds)), 0);
    std::u16string text = Utf8ToUtf16Replacing(connection);
    const SQLRETURN code = SQLDriverConnectW(handle, nullptr, SqlText(text), SQL_NTS, nullptr, 0,
                                             nullptr, SQL_DRIVER_NOPROMPT);
    // The wide copy of the connection string holds the password: it goes now.
    std::fill(text.begin(), text.end(), u'\0');
    if (!Succeeded(code)) {
        Failure failure = Diagnose(SQL_HANDLE_DBC, handle);
        SQLFreeHandle(SQL_HANDLE_DBC, handle);
        return Fail(std::move(failure));
    }
    connection_ = handle;
    if (!Succeeded(SQLSetConnectAttr(
            handle, SQL_ATTR_AUTOCOMMIT,
            reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(SQL_AUTOCOMMIT_OFF)), 0))) {
        Failure failure = Diagnose(SQL_HANDLE_DBC, handle);
        Disconnect();
        return Fail(std::move(failure));
    }
    SQLWCHAR name[128] = {};
    SQLSMALLINT length = 0;
    if (Succeeded(SQLGetInfoW(handle, SQL_DBMS_NAME, name, sizeof name, &length))) {
        const size_t units = std::min<size_t>(length / sizeof(SQLWCHAR), std::size(name) - 1);
        engine_ = EngineNamed(
            Utf16ToUtf8Replacing(std::u16string(reinterpret_cast<char16_t*>(name), units)));
    }
    wideText_ = engine_ != Engine::MariaDb;
    if (!wideText_) {
        if (::Result<void, Failure> utf8 = CheckUtf8Connection(); !utf8) {
            Disconnect();
            return utf8;
        }
    }
    if (::Result<void, Failure> limited = SetLimits(limits); !limited) {
        Disconnect();
        return limited;
    }
    return {};
}

::Result<void, Failure> Session::CheckUtf8Connection() {
    // The values go as UTF-8: the connection must read and answer in it (the driver's default;
    // it refuses SET NAMES, as it keeps track of the character set itself).
    Answer names = Run("SELECT @@character_set_client, @@character_set_results");
    Rollback();
    if (!names) {
        return Fail(names.Err());
    }
    if (names->rows.empty() || names->rows[0].at(0) != "utf8mb4" ||
        names->rows[0].at(1) != "utf8mb4") {
        return Fail(Failure{"",
                            "the connection's character set is not utf8mb4: leave CHARSET out of "
                            "the connection string or set CHARSET=utf8mb4",
                            false});
    }
    return {};
}

void Session::Disconnect() {
    for (auto& [sql, statement] : prepared_) {
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
    }
    prepared_.clear();
    if (connection_ != nullptr) {
        // A transaction still open would make the disconnect fail; a dead link fails both,
        // and the handle goes all the same.
        SQLEndTran(SQL_HANDLE_DBC, connection_, SQL_ROLLBACK);
        SQLDisconnect(connection_);
        SQLFreeHandle(SQL_HANDLE_DBC, connection_);
        connection_ = nullptr;
    }
    if (environment_ != nullptr) {
        SQLFreeHandle(SQL_HANDLE_ENV, environment_);
        environment_ = nullptr;
    }
}

// The bound buffers: they live until the statement has run. Moving this keeps their addresses.
struct BoundParameters {
    std::vector<std::u16string> texts;
    std::vector<SQLBIGINT> numbers;
    std::vector<SQLLEN> lengths;
};

::Result<void, Failure> Session::InjectedFault() {
    if (faults_ == nullptr) {
        return {};
    }
    const int query = ++faults_->queries;
    if (query == faults_->queryFails) {
        return Fail(Failure{faults_->queryFailState, "a failure injected by a test", false,
                            faults_->queryFailNative});
    }
    if (faults_->lostFrom != 0 && query >= faults_->lostFrom) {
        return Fail(Failure{"08S01", "a lost connection injected by a test", true});
    }
    return {};
}

::Result<void*, Failure> Session::Prepared(const std::string& sql) {
    if (auto found = prepared_.find(sql); found != prepared_.end()) {
        return found->second;
    }
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (!Succeeded(SQLAllocHandle(SQL_HANDLE_STMT, connection_, &statement))) {
        return Fail(Diagnose(SQL_HANDLE_DBC, connection_));
    }
    std::u16string text = Utf8ToUtf16Replacing(sql);
    if (!Succeeded(SQLPrepareW(statement, SqlText(text), static_cast<SQLINTEGER>(text.size())))) {
        Failure failure = Diagnose(SQL_HANDLE_STMT, statement);
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        return Fail(std::move(failure));
    }
    prepared_.emplace(sql, statement);
    return statement;
}

::Result<void, Failure> Session::Bind(void* statement, const std::vector<Value>& parameters,
                                      BoundParameters& bound) {
    bound.numbers.resize(parameters.size());
    bound.lengths.resize(parameters.size());
    bound.texts.reserve(parameters.size());
    std::vector<SQLLEN>& lengths = bound.lengths;
    for (size_t i = 0; i < parameters.size(); i++) {
        const auto number = static_cast<SQLUSMALLINT>(i + 1);
        SQLRETURN code;
        if (const auto* text = std::get_if<std::string>(&parameters[i]); text && !wideText_) {
            lengths[i] = static_cast<SQLLEN>(text->size());
            code = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                    std::max<SQLULEN>(text->size(), 1), 0,
                                    const_cast<char*>(text->data()), lengths[i], &lengths[i]);
        } else if (text) {
            std::u16string& wide = bound.texts.emplace_back(Utf8ToUtf16Replacing(*text));
            lengths[i] = static_cast<SQLLEN>(wide.size() * sizeof(SQLWCHAR));
            code = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                                    std::max<SQLULEN>(wide.size(), 1), 0, SqlText(wide), lengths[i],
                                    &lengths[i]);
        } else {
            bound.numbers[i] = std::get<int64_t>(parameters[i]);
            lengths[i] = 0;
            code = SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT,
                                    0, 0, &bound.numbers[i], 0, &lengths[i]);
        }
        if (!Succeeded(code)) {
            return Fail(Diagnose(SQL_HANDLE_STMT, statement));
        }
    }
    return {};
}

::Result<std::optional<std::string>, Failure> Session::ReadColumn(void* statement,
                                                                  unsigned short column) {
    // Long values come in pieces; each piece but the last fills the buffer (less the
    // terminating zero).
    std::u16string value;
    std::string narrow;
    for (;;) {
        SQLWCHAR buffer[256];
        SQLLEN length = 0;
        const SQLRETURN code = SQLGetData(statement, column, wideText_ ? SQL_C_WCHAR : SQL_C_CHAR,
                                          buffer, sizeof buffer, &length);
        if (code == SQL_NO_DATA) {
            break;
        }
        if (!Succeeded(code)) {
            return Fail(Diagnose(SQL_HANDLE_STMT, statement));
        }
        if (length == SQL_NULL_DATA) {
            return std::optional<std::string>();
        }
        if (wideText_) {
            const size_t room = std::size(buffer) - 1;
            const size_t units =
                length == SQL_NO_TOTAL ? room : std::min<size_t>(length / sizeof(SQLWCHAR), room);
            value.append(reinterpret_cast<const char16_t*>(buffer), units);
        } else {
            const size_t room = sizeof buffer - 1;
            const size_t bytes = length == SQL_NO_TOTAL ? room : std::min<size_t>(length, room);
            narrow.append(reinterpret_cast<const char*>(buffer), bytes);
        }
        if (code == SQL_SUCCESS) {
            break;
        }
    }
    return std::optional<std::string>(wideText_ ? Utf16ToUtf8Replacing(value) : narrow);
}

::Result<void, Failure> Session::Fetch(void* statement, short columns, std::vector<Row>& rows) {
    while (columns > 0) {
        const SQLRETURN fetched = SQLFetch(statement);
        if (fetched == SQL_NO_DATA) {
            return {};
        }
        if (!Succeeded(fetched)) {
            return Fail(Diagnose(SQL_HANDLE_STMT, statement));
        }
        Row& row = rows.emplace_back();
        for (SQLUSMALLINT column = 1; column <= columns; column++) {
            ::Result<std::optional<std::string>, Failure> value = ReadColumn(statement, column);
            if (!value) {
                return Fail(value.Err());
            }
            row.push_back(std::move(*value));
        }
    }
    return {};
}

Answer Session::Run(const std::string& sql, const std::vector<Value>& parameters) {
    if (connection_ == nullptr) {
        return Fail(Failure{"08003", "not connected to the database", true});
    }
    if (::Result<void, Failure> fault = InjectedFault(); !fault) {
        return Fail(fault.Err());
    }
    ::Result<void*, Failure> prepared = Prepared(sql);
    if (!prepared) {
        return Fail(prepared.Err());
    }
    SQLHSTMT statement = *prepared;
    BoundParameters bound;
    if (::Result<void, Failure> bind = Bind(statement, parameters, bound); !bind) {
        SQLFreeStmt(statement, SQL_RESET_PARAMS);
        return Fail(bind.Err());
    }

    const SQLRETURN executed = SQLExecute(statement);
    // SQL_NO_DATA: an UPDATE or DELETE that matched no row.
    if (!Succeeded(executed) && executed != SQL_NO_DATA) {
        Failure failure = Diagnose(SQL_HANDLE_STMT, statement);
        SQLFreeStmt(statement, SQL_CLOSE);
        SQLFreeStmt(statement, SQL_RESET_PARAMS);
        return Fail(std::move(failure));
    }
    Rows result;
    SQLLEN changed = 0;
    if (executed != SQL_NO_DATA && Succeeded(SQLRowCount(statement, &changed))) {
        result.changed = changed;
    }
    SQLSMALLINT columns = 0;
    if (executed != SQL_NO_DATA) {
        SQLNumResultCols(statement, &columns);
    }
    ::Result<void, Failure> fetched = Fetch(statement, columns, result.rows);
    SQLFreeStmt(statement, SQL_CLOSE);
    SQLFreeStmt(statement, SQL_RESET_PARAMS);
    if (!fetched) {
        return Fail(fetched.Err());
    }
    return result;
}

::Result<void, Failure> Session::Commit() {
    if (connection_ == nullptr) {
        return Fail(Failure{"08003", "not connected to the database", true});
    }
    const int commit = faults_ != nullptr ? ++faults_->commits : 0;
    const Failure lost{"08S01", "the connection was lost (a failure injected by a test)", true};
    if (commit != 0 && commit == faults_->commitLostBefore) {
        Disconnect();
        return Fail(lost);
    }
    if (!Succeeded(SQLEndTran(SQL_HANDLE_DBC, connection_, SQL_COMMIT))) {
        return Fail(Diagnose(SQL_HANDLE_DBC, connection_));
    }
    if (commit != 0 && commit == faults_->commitLostAfter) {
        Disconnect();
        return Fail(lost);
    }
    return {};
}

void Session::Rollback() {
    if (connection_ != nullptr) {
        SQLEndTran(SQL_HANDLE_DBC, connection_, SQL_ROLLBACK);
    }
}

bool IsDuplicate(const Failure& failure) {
    // MariaDB and SQL Server share 23000 among every constraint; their own numbers tell a
    // duplicate key (1062; 2627 and 2601).
    return failure.state == "23505" || (failure.state == "23000" && (failure.nativeError == 1062 ||
                                                                     failure.nativeError == 2627 ||
                                                                     failure.nativeError == 2601));
}

bool IsMissingTable(const Failure& failure) {
    return failure.state == "42P01" || failure.state == "42S02";
}

bool IsLockTimeout(const Failure& failure) {
    // PostgreSQL's lock_not_available; MariaDB's 1205 and SQL Server's 1222 come under general
    // states.
    return failure.state == "55P03" || failure.nativeError == 1205 || failure.nativeError == 1222;
}

bool IsRetryable(const Failure& failure) {
    // Deadlocks and serialisation failures (MariaDB's deadlock is 1213 under 40001); a statement
    // cut at its limit (PostgreSQL's 57014, MariaDB's 1969).
    return failure.state == "40001" || failure.state == "40P01" || failure.state == "57014" ||
           failure.nativeError == 1213 || failure.nativeError == 1969 || IsLockTimeout(failure);
}

}  // namespace odbc
