// Least privilege on a line's database: what each role's login may do, table by table, given by
// `ledger grant` with the owner's connection, and what a station's login can do, asked of the
// server when a batch starts.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ledger_operations.h"
#include "odbc_session.h"

// auditor: reads. station: an auditor's rights, plus taking serials and appending records.
// engineer: a station's, plus defining sequences and importing lists. None may change or delete
// a record, and none has DROP (on MariaDB, what TRUNCATE needs).
enum class LedgerRole { Auditor, Station, Engineer };

// The role a word names ("auditor", "station", "engineer"); empty for any other.
std::optional<LedgerRole> RoleNamed(const std::string& word);

// One table's privileges for one role, as SQL spells them; a role holds its own lines and those
// of the roles below it. A column privilege names one column: "UPDATE (state)".
struct TableGrant {
    const char* table;
    LedgerRole role;
    const char* privileges;
};
const std::vector<TableGrant>& LedgerGrants();

// Each table and what the role holds on it, in the table's order: "zq_records: SELECT, INSERT".
std::vector<std::string> PrivilegesOf(LedgerRole role);

// Gives an existing login exactly the role's privileges on the ledger's tables (any others it held
// on them are revoked first). user: as the server names it; on MariaDB "name" is 'name'@'%' and
// "name@host" names one host. Value: the lines of PrivilegesOf.
Result<std::vector<std::string>, LedgerError> GrantRole(const std::string& connection,
                                                        LedgerRole role, const std::string& user);

// What the connection's login can do, as the server says.
struct LoginRights {
    bool canTake = true;      // every privilege of a station (false only when the server is sure)
    bool canRewrite = false;  // may change, delete or empty records or handed-out serials
};
Result<LoginRights, odbc::Failure> ReadLoginRights(odbc::Session& session);

// The warning a station or batch gives when its login could rewrite the record; "" when not.
std::string RewriteWarning(const LoginRights& rights);
