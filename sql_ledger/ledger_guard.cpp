#include "ledger_guard.h"

namespace layout {

namespace {

// The tables whose rows are the line's history: appended to, never changed.
constexpr const char* kKeptTables[] = {"zq_records", "zq_serials"};

// Counters a take moves on: moving one back would hand its serials out again.
struct Counter {
    const char* table;
    const char* column;
};
constexpr Counter kCounters[] = {{"zq_sequences", "next_position"}, {"zq_periods", "last_counter"}};

std::string Refusal(const std::string& table) {
    // No quote in the words: they are written into the statement as a literal.
    return table +
           " is append-only: its rows are the history of the line, never changed or "
           "deleted";
}

std::string BackRefusal(const Counter& counter) {
    return std::string(counter.table) + "." + counter.column +
           " never moves back: its serials were handed out";
}

// PostgreSQL: row triggers for UPDATE and DELETE, and a statement trigger for TRUNCATE, which
// fires no row trigger. CREATE OR REPLACE makes each step its own check.
void PostgreSqlSteps(std::vector<std::string>& steps) {
    for (const char* table : kKeptTables) {
        const std::string name = table;
        steps.push_back("CREATE OR REPLACE FUNCTION " + name +
                        "_kept() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RAISE EXCEPTION '" +
                        Refusal(name) + "' USING ERRCODE = '42501'; END $$");
        steps.push_back("CREATE OR REPLACE TRIGGER " + name + "_kept BEFORE UPDATE OR DELETE ON " +
                        name + " FOR EACH ROW EXECUTE FUNCTION " + name + "_kept()");
        steps.push_back("CREATE OR REPLACE TRIGGER " + name + "_not_truncated BEFORE TRUNCATE ON " +
                        name + " FOR EACH STATEMENT EXECUTE FUNCTION " + name + "_kept()");
    }
    for (const Counter& counter : kCounters) {
        const std::string name = std::string(counter.table) + "_forward";
        steps.push_back("CREATE OR REPLACE FUNCTION " + name +
                        "() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF NEW." + counter.column +
                        " < OLD." + counter.column + " THEN RAISE EXCEPTION '" +
                        BackRefusal(counter) +
                        "' USING ERRCODE = '42501'; END IF; RETURN NEW; END $$");
        steps.push_back("CREATE OR REPLACE TRIGGER " + name + " BEFORE UPDATE ON " + counter.table +
                        " FOR EACH ROW EXECUTE FUNCTION " + name + "()");
    }
}

// MariaDB: SIGNAL refuses the row's change. TRUNCATE fires no trigger there; it needs the DROP
// privilege, which no role `ledger grant` gives has.
void MariaDbSteps(std::vector<std::string>& steps) {
    for (const char* table : kKeptTables) {
        const std::string name = table;
        for (const char* event : {"UPDATE", "DELETE"}) {
            const std::string word = std::string(event) == "UPDATE" ? "update" : "delete";
            steps.push_back("CREATE TRIGGER IF NOT EXISTS " + name + "_no_" + word + " BEFORE " +
                            event + " ON " + name +
                            " FOR EACH ROW SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = '" +
                            Refusal(name) + "'");
        }
    }
    for (const Counter& counter : kCounters) {
        steps.push_back(std::string("CREATE TRIGGER IF NOT EXISTS ") + counter.table +
                        "_forward BEFORE UPDATE ON " + counter.table + " FOR EACH ROW IF NEW." +
                        counter.column + " < OLD." + counter.column +
                        " THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = '" +
                        BackRefusal(counter) + "'; END IF");
    }
}

}  // namespace

std::vector<std::string> AppendOnly(odbc::Engine engine) {
    std::vector<std::string> steps;
    if (engine == odbc::Engine::PostgreSql) {
        PostgreSqlSteps(steps);
    } else if (engine == odbc::Engine::MariaDb) {
        MariaDbSteps(steps);
    }
    // SQL Server and other engines: no statements written here, none tried (the README says
    // which engines are tested).
    return steps;
}

}  // namespace layout
