#include "ledger_operations.h"

#include <algorithm>
#include <set>

#include "column_number.h"
#include "lease_operations.h"
#include "ledger_guard.h"
#include "ledger_layout.h"
#include "sequence_identity.h"
#include "record_times.h"
#include "sequence_serials.h"
#include "serial_sequence.h"
#include "utc_time.h"
#include "value_checks.h"

namespace {

constexpr int kLoginTimeoutSeconds = 10;
// An upgrade changes every table and fills a column of every serial: a long statement is no
// frozen station here.
const odbc::Limits kUpgradeLimits{30, 600, 60};

constexpr std::pair<SequenceScheme, const char*> kSchemeWords[] = {
    {SequenceScheme::From, "from"},
    {SequenceScheme::Format, "format"},
    {SequenceScheme::List, "list"},
};

Unexpected<LedgerError> Failed(const std::string& what, const odbc::Failure& failure) {
    return LedgerFail(what + ": " + failure.message);
}

Result<void, LedgerError> Connect(odbc::Session& session, const std::string& connection,
                                  const odbc::Limits& limits = {}) {
    if (const auto connected = session.Connect(connection, kLoginTimeoutSeconds, limits);
        !connected) {
        return Failed("could not connect to the ledger's database", connected.Err());
    }
    return {};
}

// Connects and checks the layout: succeeds when the ledger is ready to use.
Result<void, LedgerError> OpenLedger(odbc::Session& session, const std::string& connection) {
    if (auto connected = Connect(session, connection); !connected) {
        return connected;
    }
    if (Status checked = layout::CheckLayout(session); !checked) {
        return LedgerFail(checked.Err().message);
    }
    return {};
}

// Runs one statement and commits it; the failure of either.
Result<void, odbc::Failure> RunCommitted(odbc::Session& session, const std::string& sql,
                                         const std::vector<odbc::Value>& parameters = {}) {
    if (odbc::Answer answer = session.Run(sql, parameters); !answer) {
        return Fail(answer.Err());
    }
    return session.Commit();
}

bool TableThere(odbc::Session& session, const std::string& name) {
    odbc::Answer probe = session.Run("SELECT COUNT(*) FROM " + name + " WHERE 1 = 0");
    session.Rollback();
    return probe.Ok();
}

// Creates one table, unless it is there already (or another station created it meanwhile); value
// true when it created it.
Result<bool, LedgerError> CreateTable(odbc::Session& session, const layout::Table& table) {
    odbc::Answer probe = session.Run(
        table.probe.empty() ? "SELECT COUNT(*) FROM " + table.name + " WHERE 1 = 0" : table.probe);
    session.Rollback();
    if (probe && !probe->rows.empty()) {
        return false;
    }
    // A probe with no row: a piece not there yet, whose steps are each safe to run again.
    if (!probe && !odbc::IsMissingTable(probe.Err())) {
        return Failed("could not look for the table " + table.name, probe.Err());
    }
    for (const std::string& statement : table.create) {
        if (auto created = RunCommitted(session, statement); !created) {
            session.Rollback();
            if (statement == table.create.front() && table.probe.empty() &&
                TableThere(session, table.name)) {
                return false;
            }
            return Failed("could not create the table " + table.name, created.Err());
        }
    }
    return true;
}

std::string DifferencesOf(const SequenceDefinition& stored, const SequenceDefinition& asked) {
    std::string differences;
    auto compare = [&](const char* field, const std::string& was, const std::string& now) {
        if (was != now) {
            differences += std::string(differences.empty() ? "" : ", ") + field + " \"" + was +
                           "\" (not \"" + now + "\")";
        }
    };
    compare("first serial", stored.firstSerial, asked.firstSerial);
    compare("VID", stored.vid, asked.vid);
    compare("PID", stored.pid, asked.pid);
    compare("product", stored.product, asked.product);
    compare("lock", stored.lock ? "yes" : "no", asked.lock ? "yes" : "no");
    compare("serial scheme", SchemeWord(stored.scheme), SchemeWord(asked.scheme));
    compare("serial format", stored.serialFormat, asked.serialFormat);
    compare("UTC offset", stored.utcOffset, asked.utcOffset);
    // A job whose id changed under the same name is the same job file with other bytes, or a list
    // or a template of it changed since: the records made meanwhile name the old id.
    if (stored.job != asked.job || (!stored.jobDigest.empty() && !asked.jobDigest.empty() &&
                                    stored.jobDigest != asked.jobDigest)) {
        differences += std::string(differences.empty() ? "" : ", ") + "job \"" + stored.job +
                       "\" (not \"" + asked.job + "\"" +
                       (!stored.job.empty() && !asked.job.empty()
                            ? ": the job file, its list or its template has changed since"
                            : "") +
                       ")";
    }
    return differences;
}

std::string MissingSequence(const std::string& name) {
    return "the ledger holds no sequence \"" + name + "\"";
}

// Connects and reads the sequence; a sequence the ledger does not hold is a refused request.
Result<SequenceDefinition, LedgerError> OpenSequence(const std::string& connection,
                                                     const std::string& name,
                                                     odbc::Session& session) {
    if (auto opened = OpenLedger(session, connection); !opened) {
        return Fail(opened.Err());
    }
    auto found = layout::FindSequence(session, name);
    if (!found) {
        return Failed("could not read the sequence", found.Err());
    }
    if (!*found) {
        return LedgerFail(MissingSequence(name), true);
    }
    return std::move(**found);
}

// Adds each station's records per outcome to the report, the stations in byte order.
Status CountRecords(const std::vector<odbc::Row>& rows, LedgerReport& report) {
    for (const odbc::Row& row : rows) {
        const std::string station = row.at(0).value_or("");
        const std::optional<BatchOutcome> outcome = OutcomeFromWord(row.at(1).value_or(""));
        if (!outcome) {
            return Fail("the records hold an unknown outcome \"" + row.at(1).value_or("") + "\"");
        }
        const std::optional<int64_t> count = NumberIn(row.at(2));
        if (!count || *count < 0) {
            return Fail("the ledger's count of records is not a number");
        }
        auto at = std::find_if(report.stations.begin(), report.stations.end(),
                               [&](const StationCounts& s) { return s.station == station; });
        if (at == report.stations.end()) {
            at = report.stations.insert(report.stations.end(), StationCounts{station, {}});
        }
        at->records[*outcome] += static_cast<uint64_t>(*count);
        report.records[*outcome] += static_cast<uint64_t>(*count);
    }
    // Each engine sorts text by its own collation: the report sorts by bytes.
    std::sort(report.stations.begin(), report.stations.end(),
              [](const StationCounts& a, const StationCounts& b) { return a.station < b.station; });
    return {};
}

// A definition checked as the options check each of its values: the ledger stores nothing a
// batch would refuse, whoever calls it.
Result<void, LedgerError> CheckDefinition(const SequenceDefinition& sequence) {
    if (Status name = CheckName(sequence.name); !name) {
        return LedgerFail("the sequence's name " + name.Err().message, true);
    }
    if (sequence.scheme == SequenceScheme::Unknown) {
        return LedgerFail("the sequence \"" + sequence.name + "\" has no known serial scheme",
                          true);
    }
    if (Result<ChipIdentity> identity = IdentityOfSequence(sequence); !identity) {
        return LedgerFail(identity.Err().message, true);
    }
    const bool format = sequence.scheme == SequenceScheme::Format;
    const Status formatOnly = Fail("belongs to a format sequence only");
    const std::pair<const char*, Status> checks[] = {
        {"serial format", format ? CheckSerialFormat(sequence.serialFormat) : Status()},
        {"UTC offset",
         format && !sequence.utcOffset.empty() ? CheckUtcOffset(sequence.utcOffset) : Status()},
        {"serial format", !format && !sequence.serialFormat.empty() ? formatOnly : Status()},
        {"UTC offset", !format && !sequence.utcOffset.empty() ? formatOnly : Status()},
    };
    for (const auto& [field, checked] : checks) {
        if (!checked) {
            return LedgerFail("the sequence \"" + sequence.name + "\" is refused: its " + field +
                                  " " + checked.Err().message,
                              true);
        }
    }
    return {};
}

// A list's serials, each checked as a single write checks it, none twice.
Result<void, LedgerError> CheckListSerials(const std::vector<std::string>& serials) {
    std::set<std::string> seen;
    for (const std::string& serial : serials) {
        if (Status checked = CheckSerial(serial); !checked) {
            return LedgerFail("the list's serial " + checked.Err().message, true);
        }
        if (!seen.insert(serial).second) {
            return LedgerFail("the list holds the serial " + serial + " twice", true);
        }
    }
    return {};
}

// Layout 1 let two sequences of one VID and PID hand out the same serial; layout 2 keeps a serial
// once per identity. Such serials are named, with how to mend the ledger keeping every record,
// before any step is run.
Result<void, LedgerError> RefuseClashes(odbc::Session& session, const std::string& upgrading) {
    odbc::Answer clashes = session.Run(
        "SELECT s1.serial, s1.sequence_name, s2.sequence_name FROM zq_serials s1, zq_serials s2, "
        "zq_sequences q1, zq_sequences q2 WHERE s1.serial = s2.serial AND s1.sequence_name < "
        "s2.sequence_name AND q1.name = s1.sequence_name AND q2.name = s2.sequence_name AND "
        "q1.vid = q2.vid AND q1.pid = q2.pid ORDER BY s1.serial, s1.sequence_name");
    if (!clashes) {
        session.Rollback();
        return Failed(upgrading, clashes.Err());
    }
    if (clashes->rows.empty()) {
        return {};
    }
    session.Rollback();
    std::string named;
    for (size_t i = 0; i < clashes->rows.size() && i < 10; i++) {
        const odbc::Row& row = clashes->rows[i];
        named += (named.empty() ? "" : ", ") + row.at(0).value_or("") + " (sequences " +
                 row.at(1).value_or("") + " and " + row.at(2).value_or("") + ")";
    }
    return LedgerFail(
        upgrading + ": under layout 1, sequences of one VID and PID handed out the same serial " +
        std::to_string(clashes->rows.size()) + " time(s): " + named +
        (clashes->rows.size() > 10 ? ", ..." : "") +
        ". Two boards may carry each. Nothing was changed. To mend it keeping every record: give "
        "one of each pair of sequences a PID of its own (UPDATE zq_sequences SET pid = '...' WHERE "
        "name = '...'), reprogram its boards that carry those serials with that PID, then run "
        "ledger init again");
}

// Brings a ledger of an older layout to this one: every step and the layout's new number in one
// transaction, so that a failure leaves the ledger as it was (on MariaDB, which commits each
// change of a table at once, as far as it got: the next init goes on from there).
Result<bool, LedgerError> UpgradeLedger(odbc::Session& session, int64_t from) {
    const std::string upgrading = "could not upgrade the ledger from layout " +
                                  std::to_string(from) + " to " + std::to_string(kLedgerLayout);
    // The layout's row, locked first: a second init at the same moment waits, then finds the
    // upgrade done.
    odbc::Answer locked =
        session.Run("UPDATE zq_layout SET version = version WHERE version = ?", {from});
    if (!locked) {
        session.Rollback();
        return Failed(upgrading, locked.Err());
    }
    // MariaDB counts only rows whose values changed, so the row is read again, under its lock.
    odbc::Answer still = session.Run("SELECT COUNT(*) FROM zq_layout WHERE version = ?", {from});
    if (!still) {
        session.Rollback();
        return Failed(upgrading, still.Err());
    }
    if (NumberAt(still).value_or(0) == 0) {
        session.Rollback();
        if (Status checked = layout::CheckLayout(session); !checked) {
            return LedgerFail(checked.Err().message);
        }
        return false;
    }
    if (from < 2) {
        if (auto clear = RefuseClashes(session, upgrading); !clear) {
            return Fail(clear.Err());
        }
    }
    // The triggers that keep the history come last: a step that must fill old rows runs first.
    std::vector<std::string> steps = layout::Upgrade(from, session.DatabaseEngine());
    for (std::string& step : layout::AppendOnly(session.DatabaseEngine())) {
        steps.push_back(std::move(step));
    }
    for (const std::string& step : steps) {
        if (odbc::Answer done = session.Run(step); !done) {
            session.Rollback();
            return Failed(upgrading, done.Err());
        }
    }
    auto marked = RunCommitted(session, "UPDATE zq_layout SET version = ? WHERE version = ?",
                               {int64_t{kLedgerLayout}, from});
    if (!marked) {
        session.Rollback();
        return Failed(upgrading, marked.Err());
    }
    return true;
}

// Many rows a statement: one round trip per serial made a 100,000-serial import take seconds.
constexpr size_t kRowsPerInsert = 500;

// Writes the serials to the list from a position on, free, in statements of many rows; each
// statement committed when `commitEach` (an import, whose rows are not takeable until its last
// step), else all inside the caller's transaction.
Result<void, odbc::Failure> InsertListRows(odbc::Session& session, const std::string& name,
                                           const std::vector<std::string>& serials, uint64_t first,
                                           bool commitEach) {
    const std::string now = UtcNow();
    for (size_t start = 0; start < serials.size(); start += kRowsPerInsert) {
        const size_t rows = std::min(kRowsPerInsert, serials.size() - start);
        std::string sql =
            "INSERT INTO zq_list_serials (sequence_name, list_position, serial, "
            "state, imported_at) VALUES ";
        std::vector<odbc::Value> values;
        values.reserve(rows * 5);
        for (size_t i = start; i < start + rows; i++) {
            sql += i == start ? "(?, ?, ?, ?, ?)" : ", (?, ?, ?, ?, ?)";
            values.insert(values.end(), {odbc::Value(name), static_cast<int64_t>(first + i),
                                         serials[i], std::string("free"), now});
        }
        odbc::Answer added = session.Run(sql, values);
        if (!added) {
            return Fail(added.Err());
        }
        if (commitEach) {
            if (auto committed = session.Commit(); !committed) {
                return committed;
            }
        }
    }
    return {};
}

// Refuses serials the sequence holds already, naming them.
Result<void, LedgerError> RefuseHeld(odbc::Session& session, const std::string& name,
                                     const std::vector<std::string>& serials) {
    odbc::Answer held =
        session.Run("SELECT serial FROM zq_list_serials WHERE sequence_name = ?", {name});
    if (!held) {
        return Failed("could not read the sequence's serials", held.Err());
    }
    std::set<std::string> there;
    for (const odbc::Row& row : held->rows) {
        there.insert(row.at(0).value_or(""));
    }
    std::string again;
    size_t named = 0;
    for (const std::string& serial : serials) {
        if (there.count(serial) > 0 && named++ < 5) {
            again += (again.empty() ? "" : ", ") + serial;
        }
    }
    if (named > 0) {
        return LedgerFail(std::to_string(named) + " of the serials " + (named == 1 ? "is" : "are") +
                              " already in the sequence \"" + name + "\" (" + again +
                              (named > 5 ? ", ..." : "") + "): nothing was added",
                          true);
    }
    return {};
}

// Adds a new list sequence's serials, inside the caller's transaction that defines it.
Result<uint64_t, LedgerError> AppendListSerials(odbc::Session& session, const std::string& name,
                                                const std::vector<std::string>& serials) {
    odbc::Answer grown =
        session.Run("UPDATE zq_sequences SET list_size = list_size + ? WHERE name = ?",
                    {static_cast<int64_t>(serials.size()), name});
    if (!grown) {
        return Failed("could not add the serials", grown.Err());
    }
    odbc::Answer size = session.Run("SELECT list_size FROM zq_sequences WHERE name = ?", {name});
    if (!size) {
        return Failed("could not read the sequence's serials", size.Err());
    }
    const std::optional<int64_t> total = NumberAt(size);
    if (!total || *total < static_cast<int64_t>(serials.size())) {
        return LedgerFail("the sequence \"" + name + "\" holds a list size that is not a count");
    }
    if (auto refused = RefuseHeld(session, name, serials); !refused) {
        return Fail(refused.Err());
    }
    if (auto added = InsertListRows(session, name, serials,
                                    static_cast<uint64_t>(*total) - serials.size(), false);
        !added) {
        return Failed("could not add the serials", added.Err());
    }
    return static_cast<uint64_t>(*total);
}

// One import of a sequence at a time, held for as long as the import's connection lives (a
// crashed import's is let go with it), without touching the sequence's row that takes lock.
Result<void, LedgerError> HoldImport(odbc::Session& session, const std::string& name) {
    const std::string key = ("zq:" + name).substr(0, 64);
    std::string sql;
    switch (session.DatabaseEngine()) {
        case odbc::Engine::PostgreSql:
            sql = "SELECT CASE WHEN pg_try_advisory_lock(hashtext(?)) THEN 1 ELSE 0 END";
            break;
        case odbc::Engine::MariaDb:
            sql = "SELECT GET_LOCK(?, 0)";
            break;
        default:
            return {};
    }
    odbc::Answer held = session.Run(sql, {key});
    session.Rollback();
    if (!held) {
        return Failed("could not start the import", held.Err());
    }
    if (NumberAt(held).value_or(0) != 1) {
        return LedgerFail("another import into the sequence \"" + name +
                          "\" is running: import again once it has ended");
    }
    return {};
}

// Removes the list's rows from a position on: those of this import when it fails, or of an
// import that never finished (never takeable: they lie past the list's size).
Result<void, odbc::Failure> RemoveFrom(odbc::Session& session, const std::string& name,
                                       uint64_t position) {
    session.Rollback();
    return RunCommitted(
        session, "DELETE FROM zq_list_serials WHERE sequence_name = ? AND list_position >= ?",
        {name, static_cast<int64_t>(position)});
}

// The import's rows written past the list's size, then made takeable in one short step: the
// sequence's row is locked only by that step's update of the size, so that no take waits for
// the import.
Result<uint64_t, LedgerError> ImportRows(odbc::Session& session, const std::string& name,
                                         const std::vector<std::string>& serials) {
    odbc::Answer size = session.Run("SELECT list_size FROM zq_sequences WHERE name = ?", {name});
    auto refused = size ? RefuseHeld(session, name, serials) : Result<void, LedgerError>();
    session.Rollback();
    if (!size) {
        return Failed("could not read the sequence", size.Err());
    }
    if (!refused) {
        return Fail(refused.Err());
    }
    const std::optional<int64_t> base = NumberAt(size);
    if (!base || *base < 0) {
        return LedgerFail("the sequence \"" + name + "\" holds a list size that is not a count");
    }
    const uint64_t first = static_cast<uint64_t>(*base);
    // Only this step's failure is kept, to be told and cleared away.
    std::optional<odbc::Failure> failure;
    if (auto removed = RemoveFrom(session, name, first); !removed) {
        failure = removed.Err();
    } else if (auto added = InsertListRows(session, name, serials, first, true); !added) {
        failure = added.Err();
    }
    if (!failure) {
        odbc::Answer grown =
            session.Run("UPDATE zq_sequences SET list_size = ? WHERE name = ? AND list_size = ?",
                        {static_cast<int64_t>(first + serials.size()), name, *base});
        if (grown && grown->changed == 1) {
            if (auto committed = session.Commit(); committed) {
                return first + serials.size();
            } else {
                failure = committed.Err();
            }
        } else if (grown) {
            failure = odbc::Failure{"", "the list's size changed during the import"};
        } else {
            failure = grown.Err();
        }
    }
    // Rows left behind by a failed removal lie past the list's size: never takeable, and the next
    // import removes them first.
    static_cast<void>(RemoveFrom(session, name, first));
    if (odbc::IsDuplicate(*failure)) {
        return LedgerFail(
            "a serial of the import is already in the sequence \"" + name + "\": nothing was added",
            true);
    }
    return Failed("could not add the serials", *failure);
}

// The serials of a list sequence in import order.
Result<std::vector<std::string>, odbc::Failure> ListOf(odbc::Session& session,
                                                       const std::string& name) {
    odbc::Answer read = session.Run(
        "SELECT serial FROM zq_list_serials WHERE sequence_name = ? ORDER BY list_position",
        {name});
    session.Rollback();
    if (!read) {
        return Fail(read.Err());
    }
    std::vector<std::string> serials;
    for (const odbc::Row& row : read->rows) {
        serials.push_back(row.at(0).value_or(""));
    }
    return serials;
}

}  // namespace

const char* SchemeWord(SequenceScheme scheme) {
    for (const auto& [known, word] : kSchemeWords) {
        if (known == scheme) {
            return word;
        }
    }
    return "unknown";
}

SequenceScheme SchemeNamed(const std::string& word) {
    for (const auto& [scheme, known] : kSchemeWords) {
        if (word == known) {
            return scheme;
        }
    }
    return SequenceScheme::Unknown;
}

Result<bool, LedgerError> InitLedger(const std::string& connection) {
    odbc::Session session;
    if (auto connected = Connect(session, connection, kUpgradeLimits); !connected) {
        return Fail(connected.Err());
    }
    const auto found = layout::FindLayout(session);
    if (!found) {
        return Failed("could not read the ledger's layout", found.Err());
    }
    if (*found) {
        if (**found > 0 && **found < kLedgerLayout) {
            return UpgradeLedger(session, **found);
        }
        if (Status checked = layout::CheckLayout(session); !checked) {
            return LedgerFail(checked.Err().message);
        }
        return false;
    }
    bool created = false;
    for (const layout::Table& table : layout::Tables(session.DatabaseEngine())) {
        auto made = CreateTable(session, table);
        if (!made) {
            return made;
        }
        created = created || *made;
    }
    // Last before the layout's row, which says the ledger is complete.
    for (const std::string& step : layout::AppendOnly(session.DatabaseEngine())) {
        if (auto made = RunCommitted(session, step); !made) {
            session.Rollback();
            return Failed("could not create the ledger's triggers", made.Err());
        }
    }
    auto recorded = RunCommitted(session, "INSERT INTO zq_layout (version) VALUES (?)",
                                 {int64_t{kLedgerLayout}});
    if (!recorded) {
        session.Rollback();
        // Another station initialising at the same moment wrote the same row first.
        Status checked = layout::CheckLayout(session);
        if (checked) {
            return created;
        }
        if (!odbc::IsDuplicate(recorded.Err())) {
            return Failed("could not record the ledger's layout", recorded.Err());
        }
        return LedgerFail(checked.Err().message);
    }
    return true;
}

namespace {

// A sequence of the name already defined: false when it is the same one, else why not.
Result<bool, LedgerError> SameAsDefined(odbc::Session& session, const SequenceDefinition& defined,
                                        const SequenceDefinition& sequence,
                                        const std::vector<std::string>& listSerials) {
    std::string differences = DifferencesOf(defined, sequence);
    if (differences.empty() && sequence.scheme == SequenceScheme::List) {
        auto stored = ListOf(session, sequence.name);
        if (!stored) {
            return Failed("could not read the sequence's serials", stored.Err());
        }
        if (*stored != listSerials) {
            differences = "its list (add serials with ledger import)";
        }
    }
    if (!differences.empty()) {
        return LedgerFail("the sequence \"" + sequence.name +
                              "\" is already defined with other values: " + differences,
                          true);
    }
    return false;
}

// The sequence's row and its list, committed; the database's failure when it refused them.
Result<std::optional<odbc::Failure>, LedgerError> InsertSequence(
    odbc::Session& session, const SequenceDefinition& sequence,
    const std::vector<std::string>& listSerials) {
    odbc::Answer inserted = session.Run(
        "INSERT INTO zq_sequences (name, first_serial, vid, pid, product, locks, "
        "next_position, defined_at, scheme, serial_format, utc_offset, list_size, job, "
        "job_digest) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {sequence.name, sequence.firstSerial, sequence.vid, sequence.pid, sequence.product,
         int64_t{sequence.lock ? 1 : 0}, int64_t{0}, UtcNow(),
         std::string(SchemeWord(sequence.scheme)), sequence.serialFormat, sequence.utcOffset,
         int64_t{0}, sequence.job, sequence.jobDigest});
    if (!inserted) {
        return std::optional<odbc::Failure>(inserted.Err());
    }
    if (!listSerials.empty()) {
        if (auto added = AppendListSerials(session, sequence.name, listSerials); !added) {
            session.Rollback();
            return Fail(added.Err());
        }
    }
    if (auto committed = session.Commit(); !committed) {
        return std::optional<odbc::Failure>(committed.Err());
    }
    return std::optional<odbc::Failure>();
}

}  // namespace

Result<bool, LedgerError> DefineSequence(const std::string& connection,
                                         const SequenceDefinition& sequence,
                                         const std::vector<std::string>& listSerials) {
    if (auto checked = CheckDefinition(sequence); !checked) {
        return Fail(checked.Err());
    }
    if (auto checked = CheckListSerials(listSerials); !checked) {
        return Fail(checked.Err());
    }
    if (sequence.scheme != SequenceScheme::List && !listSerials.empty()) {
        return LedgerFail("the sequence \"" + sequence.name + "\" takes no list", true);
    }
    odbc::Session session;
    if (auto opened = OpenLedger(session, connection); !opened) {
        return Fail(opened.Err());
    }
    for (int attempt = 0;; attempt++) {
        auto found = layout::FindSequence(session, sequence.name);
        if (!found) {
            return Failed("could not read the sequence", found.Err());
        }
        if (*found) {
            return SameAsDefined(session, **found, sequence, listSerials);
        }
        auto failure = InsertSequence(session, sequence, listSerials);
        if (!failure) {
            return Fail(failure.Err());
        }
        if (!*failure) {
            return true;
        }
        session.Rollback();
        // Defined by someone else meanwhile: compare with theirs.
        if (!odbc::IsDuplicate(**failure) || attempt > 0) {
            return Failed("could not define the sequence", **failure);
        }
    }
}

Result<uint64_t, LedgerError> ImportSerials(const std::string& connection,
                                            const std::string& sequence,
                                            const std::vector<std::string>& serials) {
    if (auto checked = CheckListSerials(serials); !checked) {
        return Fail(checked.Err());
    }
    odbc::Session session;
    auto opened = OpenSequence(connection, sequence, session);
    if (!opened) {
        return Fail(opened.Err());
    }
    if (opened->scheme != SequenceScheme::List) {
        return LedgerFail("the sequence \"" + sequence +
                              "\" takes no list: its serials come from its " +
                              SchemeWord(opened->scheme),
                          true);
    }
    if (auto held = HoldImport(session, sequence); !held) {
        return Fail(held.Err());
    }
    return ImportRows(session, sequence, serials);
}

Result<SerialPreview, LedgerError> PreviewSequence(
    const std::string& connection, const std::string& name, int count,
    const std::function<std::chrono::system_clock::time_point()>& clock) {
    odbc::Session session;
    auto opened = OpenSequence(connection, name, session);
    if (!opened) {
        return Fail(opened.Err());
    }
    const Result<SequenceRules> rules = RulesOf(*opened);
    if (!rules) {
        return LedgerFail(rules.Err().message);
    }
    const auto next = NextPosition(session, name);
    if (!next) {
        session.Rollback();
        return Failed("could not read the sequence", next.Err());
    }
    if (!*next) {
        session.Rollback();
        return LedgerFail("the sequence \"" + name +
                          "\" holds a next position that is not a count");
    }
    auto preview = PreviewSerials(session, *opened, *rules, **next, count, clock);
    session.Rollback();
    if (!preview) {
        return Failed("could not read the sequence's serials", preview.Err());
    }
    return std::move(*preview);
}

namespace {

// A sequence's serials as far as an overlap needs them: a counted range, a list, or a format.
struct SerialsOf {
    SequenceScheme scheme = SequenceScheme::From;
    std::optional<SerialSequence> counted;
    std::set<std::string> list;
    std::string format;
};

Result<SerialsOf, odbc::Failure> ReadSerialsOf(odbc::Session& session, const std::string& name,
                                               SequenceScheme scheme, const std::string& first,
                                               const std::string& format) {
    SerialsOf serials{scheme, SerialSequence::From(first), {}, format};
    if (scheme == SequenceScheme::List) {
        auto list = ListOf(session, name);
        if (!list) {
            return Fail(list.Err());
        }
        serials.list.insert(list->begin(), list->end());
    }
    return serials;
}

// Whether two sequences can hand out the same serial: two counted ranges that meet, a list's
// serial in the other's range or list, or one format twice (the same serials in every period).
bool Meet(const SerialsOf& a, const SerialsOf& b) {
    auto listMeets = [](const SerialsOf& list, const SerialsOf& other) {
        for (const std::string& serial : list.list) {
            if (other.list.count(serial) > 0 ||
                (other.scheme == SequenceScheme::From && other.counted &&
                 other.counted->PositionOf(serial))) {
                return true;
            }
        }
        return false;
    };
    if (a.scheme == SequenceScheme::List || b.scheme == SequenceScheme::List) {
        return a.scheme == SequenceScheme::List ? listMeets(a, b) : listMeets(b, a);
    }
    if (a.scheme == SequenceScheme::Format || b.scheme == SequenceScheme::Format) {
        return a.scheme == b.scheme && a.format == b.format;
    }
    // Two counted ranges meet when either one's first serial is among the other's: both count
    // up to the end of the same digits.
    return a.counted && b.counted &&
           (a.counted->PositionOf(b.counted->Current()) ||
            b.counted->PositionOf(a.counted->Current()));
}

}  // namespace

Result<std::vector<std::string>, LedgerError> OverlappingSequences(
    const std::string& connection, const SequenceDefinition& sequence) {
    odbc::Session session;
    if (auto opened = OpenLedger(session, connection); !opened) {
        return Fail(opened.Err());
    }
    odbc::Answer others = session.Run(
        "SELECT name, first_serial, scheme, serial_format FROM zq_sequences WHERE vid = ? AND "
        "pid = ? AND name <> ? ORDER BY name",
        {sequence.vid, sequence.pid, sequence.name});
    session.Rollback();
    if (!others) {
        return Failed("could not read the other sequences", others.Err());
    }
    auto mine = ReadSerialsOf(session, sequence.name, sequence.scheme, sequence.firstSerial,
                              sequence.serialFormat);
    if (!mine) {
        return Failed("could not read the sequence's serials", mine.Err());
    }
    std::vector<std::string> names;
    for (const odbc::Row& row : others->rows) {
        const std::string name = row.at(0).value_or("");
        auto theirs = ReadSerialsOf(session, name, SchemeNamed(row.at(2).value_or("")),
                                    row.at(1).value_or(""), row.at(3).value_or(""));
        if (!theirs) {
            return Failed("could not read the other sequences", theirs.Err());
        }
        if (Meet(*mine, *theirs)) {
            names.push_back(name);
        }
    }
    return names;
}

Result<SequenceDefinition, LedgerError> ReadSequence(const std::string& connection,
                                                     const std::string& name) {
    odbc::Session session;
    return OpenSequence(connection, name, session);
}

namespace {

// A sequence's verified records are of serials it handed out: counted from the outcome index
// alone, where a probe per serial costs a million records seconds. Grouped rather than
// COUNT(DISTINCT), which PostgreSQL sorts again although the index has them in order.
const char* kCountSerialsVerified =
    "SELECT COUNT(*) FROM (SELECT serial FROM zq_records WHERE sequence_name = ? AND outcome = "
    "'verified' GROUP BY serial) verified";

// The sequence's serials as its scheme counts them: the capacity as a batch would say it (a row
// no batch takes from has none), the serials verified, and a list's serials still free.
Result<void, LedgerError> ReadSchemeCounts(odbc::Session& session, LedgerReport& report,
                                           bool verifiedToo) {
    const std::string& sequence = report.sequence.name;
    odbc::Answer verified =
        verifiedToo ? session.Run(kCountSerialsVerified, {sequence}) : odbc::Answer(odbc::Rows());
    // Below the list's size only: an import's rows past it are not takeable yet.
    odbc::Answer free = session.Run(
        "SELECT COUNT(*) FROM zq_list_serials l, zq_sequences q WHERE q.name = ? AND "
        "l.sequence_name = q.name AND l.state = ? AND l.list_position < q.list_size",
        {sequence, std::string("free")});
    Result<SerialPreview, odbc::Failure> preview = SerialPreview();
    if (const Result<SequenceRules> rules = RulesOf(report.sequence)) {
        preview = PreviewSerials(session, report.sequence, *rules, 0, 0, {});
    }
    for (const odbc::Answer* read : {&verified, &free}) {
        if (!*read) {
            return Failed("could not read the records", read->Err());
        }
    }
    if (!preview) {
        return Failed("could not read the records", preview.Err());
    }
    report.capacity = preview->capacity;
    report.serialsVerified = static_cast<uint64_t>(NumberAt(verified).value_or(0));
    report.serialsFree = static_cast<uint64_t>(NumberAt(free).value_or(0));
    return {};
}

}  // namespace

Result<LedgerReport, LedgerError> Report(const std::string& connection,
                                         const std::string& sequence) {
    odbc::Session session;
    return Report(session, connection, sequence, true);
}

Result<LedgerReport, LedgerError> Report(odbc::Session& session, const std::string& connection,
                                         const std::string& sequence, bool counts) {
    auto opened = OpenSequence(connection, sequence, session);
    if (!opened) {
        // A sequence the ledger lacks is not a bad value here: the report reads what is there.
        return LedgerFail(opened.Err().message);
    }
    LedgerReport report;
    report.sequence = std::move(*opened);

    odbc::Answer used =
        session.Run("SELECT COUNT(*), MAX(serial_position) FROM zq_serials WHERE sequence_name = ?",
                    {sequence});
    odbc::Answer highest = odbc::Rows();
    if (const std::optional<int64_t> position = NumberAt(used, 1)) {
        highest = session.Run(
            "SELECT serial FROM zq_serials WHERE sequence_name = ? AND serial_position = ?",
            {sequence, *position});
    }
    odbc::Answer records = counts ? session.Run(
                                        "SELECT station, outcome, COUNT(*) FROM zq_records WHERE "
                                        "sequence_name = ? GROUP BY station, outcome",
                                        {sequence})
                                  : odbc::Answer(odbc::Rows());
    Result<void, LedgerError> scheme = ReadSchemeCounts(session, report, counts);
    const auto leases = LeaseTotals(session, sequence);
    odbc::Answer unverified =
        session.Run(layout::SerialsNeverVerified(session.DatabaseEngine()), {sequence, sequence});
    session.Rollback();
    for (const odbc::Answer* read : {&used, &highest, &records, &unverified}) {
        if (!*read) {
            return Failed("could not read the records", read->Err());
        }
    }
    if (!scheme) {
        return Fail(scheme.Err());
    }
    if (!leases) {
        return Failed("could not read the leases", leases.Err());
    }
    report.serialsLeased = leases->leased;
    report.serialsReleased = leases->released;

    const std::optional<int64_t> serialsUsed = NumberAt(used);
    if (!serialsUsed || *serialsUsed < 0) {
        return LedgerFail("the ledger's count of serials used is not a number");
    }
    report.serialsUsed = static_cast<uint64_t>(*serialsUsed);
    if (!highest->rows.empty()) {
        report.highestSerial = highest->rows.front().at(0).value_or("");
    }
    if (Status counted = CountRecords(records->rows, report); !counted) {
        return LedgerFail(counted.Err().message);
    }
    for (const odbc::Row& row : unverified->rows) {
        report.withoutVerified.push_back(row.at(0).value_or(""));
    }
    return report;
}

Result<std::vector<LedgerEntry>, LedgerError> Export(const std::string& connection,
                                                     const std::string& sequence,
                                                     const std::optional<std::string>& serial) {
    odbc::Session session;
    if (auto opened = OpenSequence(connection, sequence, session); !opened) {
        return LedgerFail(opened.Err().message);
    }
    // One serial's records through the index on (sequence_name, serial): an audit station's reads
    // stay as quick as the line's record grows.
    std::vector<odbc::Value> parameters = {sequence};
    if (serial) {
        parameters.push_back(*serial);
    }
    odbc::Answer records =
        session.Run(std::string(layout::kSelectRecords) + "WHERE sequence_name = ?" +
                        (serial ? " AND serial = ?" : "") + " ORDER BY id",
                    parameters);
    session.Rollback();
    if (!records) {
        return Failed("could not read the records", records.Err());
    }
    return layout::EntriesFrom(*records);
}
