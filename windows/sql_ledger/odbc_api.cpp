// Windows' table: odbc32.dll loaded when a command first connects to a ledger, and unloaded when
// the last session that uses it goes.
#include <string>

#include "odbc_api.h"
#include "system_library.h"
#include "windows_error_text.h"

namespace odbc {

namespace {

// The table and the library its addresses point into: the library goes with the table.
struct LoadedApi : Api {
    win32::ScopedModule library;
};

}  // namespace

Result<std::shared_ptr<const Api>> LoadApi() {
    auto api = std::make_shared<LoadedApi>();
    api->library = win32::LoadSystemLibrary(L"odbc32.dll");
    if (!api->library) {
        return Fail("could not load odbc32.dll: " + WindowsErrorText(GetLastError()));
    }
    const HMODULE library = api->library.Get();
#define ZQ_ODBC_RESOLVED(name)                                                     \
    if (!win32::ResolveFunction(library, #name, api->name)) {                      \
        return Fail("could not load odbc32.dll: it has no " + std::string(#name)); \
    }
    ZQ_ODBC_ENTRY_POINTS(ZQ_ODBC_RESOLVED)
#undef ZQ_ODBC_RESOLVED
    return std::shared_ptr<const Api>(std::move(api));
}

}  // namespace odbc
