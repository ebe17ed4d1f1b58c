// The host's table: unixODBC is linked, so its functions are there from the start.
#include "odbc_api.h"

namespace odbc {

Result<std::shared_ptr<const Api>> LoadApi() {
    auto api = std::make_shared<Api>();
#define ZQ_ODBC_LINKED(name) api->name = &::name;
    ZQ_ODBC_ENTRY_POINTS(ZQ_ODBC_LINKED)
#undef ZQ_ODBC_LINKED
    return std::shared_ptr<const Api>(std::move(api));
}

}  // namespace odbc
