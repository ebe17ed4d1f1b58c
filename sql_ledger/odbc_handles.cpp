#include "odbc_handles.h"

#include <type_traits>

#include "odbc_api.h"

static_assert(std::is_same_v<SQLHANDLE, void*>);
static_assert(static_cast<short>(odbc::HandleKind::Environment) == SQL_HANDLE_ENV);
static_assert(static_cast<short>(odbc::HandleKind::Connection) == SQL_HANDLE_DBC);
static_assert(static_cast<short>(odbc::HandleKind::Statement) == SQL_HANDLE_STMT);

namespace odbc {

void ReleaseHandle(const Api& api, HandleKind kind, void* handle) {
    const auto type = static_cast<SQLSMALLINT>(kind);
    if (kind == HandleKind::Connection) {
        // A transaction still open would make the disconnect fail.
        api.SQLEndTran(type, handle, SQL_ROLLBACK);
        api.SQLDisconnect(handle);
    }
    api.SQLFreeHandle(type, handle);
}

}  // namespace odbc
