#include "ledger_roles.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <tuple>

#include "column_number.h"
#include "ledger_layout.h"

namespace {

constexpr std::pair<LedgerRole, const char*> kRoleWords[] = {
    {LedgerRole::Auditor, "auditor"},
    {LedgerRole::Station, "station"},
    {LedgerRole::Engineer, "engineer"},
};

// The tables whose rows are the line's history.
constexpr const char* kHistoryTables[] = {"zq_records", "zq_serials"};

// One privilege: "SELECT", or "UPDATE" of one column.
struct Privilege {
    std::string table;
    std::string kind;
    std::string column;  // "" for the whole table
};

// A grant line's privileges, split at the commas outside parentheses.
std::vector<Privilege> Split(const TableGrant& grant) {
    std::vector<Privilege> privileges;
    const std::string text = grant.privileges;
    size_t start = 0;
    int depth = 0;
    for (size_t at = 0; at <= text.size(); at++) {
        if (at < text.size() && text[at] != ',') {
            depth += text[at] == '(' ? 1 : text[at] == ')' ? -1 : 0;
            continue;
        }
        if (depth > 0) {
            continue;
        }
        std::string one = text.substr(start, at - start);
        one.erase(0, one.find_first_not_of(' '));
        Privilege privilege{grant.table, one, ""};
        if (const size_t open = one.find(" ("); open != std::string::npos) {
            privilege.kind = one.substr(0, open);
            privilege.column = one.substr(open + 2, one.size() - open - 3);
        }
        privileges.push_back(privilege);
        start = at + 1;
    }
    return privileges;
}

std::vector<const TableGrant*> GrantsOf(LedgerRole role) {
    std::vector<const TableGrant*> grants;
    for (const TableGrant& grant : LedgerGrants()) {
        if (grant.role <= role) {
            grants.push_back(&grant);
        }
    }
    return grants;
}

std::vector<std::string> TablesOf(LedgerRole role) {
    std::vector<std::string> tables;
    for (const TableGrant* grant : GrantsOf(role)) {
        if (std::find(tables.begin(), tables.end(), grant->table) == tables.end()) {
            tables.push_back(grant->table);
        }
    }
    return tables;
}

// A login's name as the server spells it in GRANT, checked so that it can be written into the
// statement: letters, digits and `_ . -` (and a MariaDB host's `%` and `:`).
Result<std::string, LedgerError> Grantee(const std::string& user, odbc::Engine engine) {
    auto plain = [](const std::string& text, const std::string& more) {
        return !text.empty() && text.size() <= 80 &&
               std::all_of(text.begin(), text.end(), [&](char c) {
                   return std::isalnum(static_cast<unsigned char>(c)) ||
                          std::string("_.-").find(c) != std::string::npos ||
                          more.find(c) != std::string::npos;
               });
    };
    const std::string refusal =
        "the login \"" + user + "\" is not a name the ledger grants to (letters, digits, _ . -)";
    if (engine == odbc::Engine::MariaDb) {
        const size_t at = user.find('@');
        const std::string name = user.substr(0, at);
        const std::string host = at == std::string::npos ? "%" : user.substr(at + 1);
        if (!plain(name, "") || !plain(host, "%:")) {
            return LedgerFail(refusal, true);
        }
        return "'" + name + "'@'" + host + "'";
    }
    if (engine != odbc::Engine::PostgreSql) {
        return LedgerFail("ledger grant knows PostgreSQL's and MariaDB's statements only", true);
    }
    if (!plain(user, "")) {
        return LedgerFail(refusal, true);
    }
    return "\"" + user + "\"";
}

// MariaDB answers a revoke of privileges the login never held with an error: nothing to revoke.
bool NothingHeld(const odbc::Failure& failure) {
    return failure.nativeError == 1141 || failure.nativeError == 1147;
}

// PostgreSQL's own answer: each of the station's privileges, and whether the history can be
// rewritten, asked of the server (which follows role membership).
Result<LoginRights, odbc::Failure> PostgreSqlRights(odbc::Session& session) {
    std::string take;
    for (const TableGrant* grant : GrantsOf(LedgerRole::Station)) {
        for (const Privilege& p : Split(*grant)) {
            take += std::string(take.empty() ? "" : " AND ") +
                    (p.column.empty() ? "has_table_privilege('" + p.table + "', '" + p.kind + "')"
                                      : "has_column_privilege('" + p.table + "', '" + p.column +
                                            "', '" + p.kind + "')");
        }
    }
    std::string rewrite;
    for (const char* table : kHistoryTables) {
        rewrite += std::string(rewrite.empty() ? "" : " OR ") + "has_any_column_privilege('" +
                   table + "', 'UPDATE') OR has_table_privilege('" + table +
                   "', 'DELETE') OR has_table_privilege('" + table + "', 'TRUNCATE')";
    }
    odbc::Answer answer =
        session.Run("SELECT CASE WHEN " + take + " THEN 1 ELSE 0 END, CASE WHEN " + rewrite +
                    " THEN 1 ELSE 0 END");
    session.Rollback();
    if (!answer) {
        return Fail(answer.Err());
    }
    return LoginRights{NumberAt(answer).value_or(0) == 1, NumberAt(answer, 1).value_or(1) == 1};
}

// MariaDB's privilege tables as its information schema shows them to the login itself. A login
// given its privileges through a role is not refused here: its first take says.
Result<LoginRights, odbc::Failure> MariaDbRights(odbc::Session& session) {
    const std::string grantee =
        "CONCAT('''', SUBSTRING_INDEX(CURRENT_USER(), '@', 1), '''@''', "
        "SUBSTRING_INDEX(CURRENT_USER(), '@', -1), '''')";
    odbc::Answer held = session.Run(
        "SELECT '', '', PRIVILEGE_TYPE FROM information_schema.USER_PRIVILEGES WHERE GRANTEE = " +
        grantee +
        " UNION ALL SELECT '', '', PRIVILEGE_TYPE FROM information_schema.SCHEMA_PRIVILEGES "
        "WHERE TABLE_SCHEMA = DATABASE() AND GRANTEE = " +
        grantee +
        " UNION ALL SELECT TABLE_NAME, '', PRIVILEGE_TYPE FROM "
        "information_schema.TABLE_PRIVILEGES WHERE TABLE_SCHEMA = DATABASE() AND GRANTEE = " +
        grantee +
        " UNION ALL SELECT TABLE_NAME, COLUMN_NAME, PRIVILEGE_TYPE FROM "
        "information_schema.COLUMN_PRIVILEGES WHERE TABLE_SCHEMA = DATABASE() AND GRANTEE = " +
        grantee);
    odbc::Answer roles = session.Run("SELECT COUNT(*) FROM information_schema.APPLICABLE_ROLES");
    session.Rollback();
    if (!held) {
        return Fail(held.Err());
    }
    std::set<std::tuple<std::string, std::string, std::string>> rows;
    for (const odbc::Row& row : held->rows) {
        rows.insert({row.at(0).value_or(""), row.at(1).value_or(""), row.at(2).value_or("")});
    }
    auto has = [&](const std::string& table, const std::string& kind, const std::string& column) {
        return rows.count({"", "", kind}) > 0 || rows.count({table, "", kind}) > 0 ||
               (!column.empty() && rows.count({table, column, kind}) > 0);
    };
    LoginRights rights;
    bool all = true;
    for (const TableGrant* grant : GrantsOf(LedgerRole::Station)) {
        for (const Privilege& p : Split(*grant)) {
            all = all && has(p.table, p.kind, p.column);
        }
    }
    rights.canTake = all || !roles || NumberAt(roles).value_or(1) > 0;
    for (const char* table : kHistoryTables) {
        bool columnUpdate = false;
        for (const auto& [t, column, kind] : rows) {
            columnUpdate = columnUpdate || (t == table && kind == "UPDATE");
        }
        rights.canRewrite = rights.canRewrite || columnUpdate || has(table, "UPDATE", "") ||
                            has(table, "DELETE", "") || has(table, "DROP", "");
    }
    return rights;
}

}  // namespace

std::optional<LedgerRole> RoleNamed(const std::string& word) {
    for (const auto& [role, known] : kRoleWords) {
        if (word == known) {
            return role;
        }
    }
    return std::nullopt;
}

const std::vector<TableGrant>& LedgerGrants() {
    // A table is one line per role that needs more than the role below it.
    static const std::vector<TableGrant> grants = {
        {"zq_layout", LedgerRole::Auditor, "SELECT"},
        {"zq_sequences", LedgerRole::Auditor, "SELECT"},
        {"zq_serials", LedgerRole::Auditor, "SELECT"},
        {"zq_records", LedgerRole::Auditor, "SELECT"},
        {"zq_list_serials", LedgerRole::Auditor, "SELECT"},
        {"zq_periods", LedgerRole::Auditor, "SELECT"},
        {"zq_outcomes", LedgerRole::Auditor, "SELECT"},
        {"zq_hourly", LedgerRole::Auditor, "SELECT"},
        {"zq_leases", LedgerRole::Auditor, "SELECT"},
        {"zq_lease_releases", LedgerRole::Auditor, "SELECT"},
        {"zq_sequences", LedgerRole::Station, "UPDATE (next_position)"},
        {"zq_serials", LedgerRole::Station, "INSERT"},
        {"zq_records", LedgerRole::Station, "INSERT"},
        {"zq_list_serials", LedgerRole::Station, "UPDATE (state)"},
        {"zq_periods", LedgerRole::Station, "INSERT, UPDATE (last_counter)"},
        // A station takes its leases, and releases the rest of one whose period has ended.
        {"zq_leases", LedgerRole::Station, "INSERT"},
        {"zq_lease_releases", LedgerRole::Station, "INSERT"},
        {"zq_sequences", LedgerRole::Engineer, "INSERT, UPDATE (list_size)"},
        {"zq_list_serials", LedgerRole::Engineer, "INSERT, DELETE"},
    };
    return grants;
}

std::vector<std::string> PrivilegesOf(LedgerRole role) {
    std::vector<std::string> lines;
    for (const std::string& table : TablesOf(role)) {
        std::string line = table + ":";
        for (const TableGrant* grant : GrantsOf(role)) {
            if (grant->table == table) {
                line += std::string(line.back() == ':' ? " " : ", ") + grant->privileges;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

Result<std::vector<std::string>, LedgerError> GrantRole(const std::string& connection,
                                                        LedgerRole role, const std::string& user) {
    odbc::Session session;
    if (const auto connected = session.Connect(connection, 10); !connected) {
        return LedgerFail("could not connect to the ledger's database: " + connected.Err().message);
    }
    if (Status checked = layout::CheckLayout(session); !checked) {
        return LedgerFail(checked.Err().message);
    }
    const auto grantee = Grantee(user, session.DatabaseEngine());
    if (!grantee) {
        return Fail(grantee.Err());
    }
    std::vector<std::string> statements;
    for (const std::string& table : TablesOf(LedgerRole::Engineer)) {
        statements.push_back("REVOKE ALL PRIVILEGES ON " + table + " FROM " + *grantee);
    }
    for (const TableGrant* grant : GrantsOf(role)) {
        statements.push_back(std::string("GRANT ") + grant->privileges + " ON " + grant->table +
                             " TO " + *grantee);
    }
    for (const std::string& statement : statements) {
        odbc::Answer done = session.Run(statement);
        if (!done && !(statement.rfind("REVOKE", 0) == 0 && NothingHeld(done.Err()))) {
            session.Rollback();
            return LedgerFail("could not grant " + user + " its privileges: " + done.Err().message);
        }
    }
    if (auto committed = session.Commit(); !committed) {
        session.Rollback();
        return LedgerFail("could not grant " + user +
                          " its privileges: " + committed.Err().message);
    }
    return PrivilegesOf(role);
}

Result<LoginRights, odbc::Failure> ReadLoginRights(odbc::Session& session) {
    switch (session.DatabaseEngine()) {
        case odbc::Engine::PostgreSql:
            return PostgreSqlRights(session);
        case odbc::Engine::MariaDb:
            return MariaDbRights(session);
        default:
            // Nothing asked of an engine this program's statements are not tested on.
            return LoginRights{};
    }
}

std::string RewriteWarning(const LoginRights& rights) {
    if (!rights.canRewrite) {
        return "";
    }
    return "this login could change or delete the line's records: give this station a station "
           "login (zq61prog ledger grant station USER)";
}
