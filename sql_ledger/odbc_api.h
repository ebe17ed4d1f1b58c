// The ODBC entry points the session calls, as one table: on Windows resolved from odbc32.dll when
// a command first needs a ledger, so that a program whose command has none neither pays for
// loading ODBC nor fails to start where ODBC is missing or broken; on the host, unixODBC's own
// functions, linked.
#pragma once

// ODBC's own headers need windows.h's types on Windows.
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <memory>

#include "result.h"

// Every entry point the session calls, listed once: the table's members, the host's addresses
// and the names resolved on Windows all come from this list. Only the wide and unsuffixed
// forms: Wine's odbc32 has no ANSI ones.
#define ZQ_ODBC_ENTRY_POINTS(X) \
    X(SQLAllocHandle)           \
    X(SQLFreeHandle)            \
    X(SQLSetEnvAttr)            \
    X(SQLSetConnectAttr)        \
    X(SQLGetConnectAttr)        \
    X(SQLDriverConnectW)        \
    X(SQLDisconnect)            \
    X(SQLGetInfoW)              \
    X(SQLGetDiagRecW)           \
    X(SQLEndTran)               \
    X(SQLPrepareW)              \
    X(SQLBindParameter)         \
    X(SQLExecute)               \
    X(SQLRowCount)              \
    X(SQLNumResultCols)         \
    X(SQLFetch)                 \
    X(SQLGetData)               \
    X(SQLFreeStmt)

namespace odbc {

// Each member has the entry point's own name and type, so a call reads as the direct call would
// (`api.SQLFetch(statement)`). Every one is set: a library that lacks one is refused when it is
// loaded, never called.
struct Api {
#define ZQ_ODBC_MEMBER(name) decltype(&::name) name = nullptr;
    ZQ_ODBC_ENTRY_POINTS(ZQ_ODBC_MEMBER)
#undef ZQ_ODBC_MEMBER
};

// The table, valid (its library loaded) for as long as the pointer lives; refused with the reason
// ("could not load odbc32.dll: ...") when the library cannot be loaded or lacks an entry point.
Result<std::shared_ptr<const Api>> LoadApi();

}  // namespace odbc
