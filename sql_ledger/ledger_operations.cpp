#include "ledger_operations.h"

#include <algorithm>

#include "column_number.h"
#include "ledger_layout.h"
#include "ledger_text.h"
#include "serial_sequence.h"
#include "utc_time.h"

namespace {

constexpr int kLoginTimeoutSeconds = 10;

Unexpected<LedgerError> Failed(const std::string& what, const odbc::Failure& failure) {
    return LedgerFail(what + ": " + failure.message);
}

Result<void, LedgerError> Connect(odbc::Session& session, const std::string& connection) {
    if (const auto connected = session.Connect(connection, kLoginTimeoutSeconds); !connected) {
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
std::optional<odbc::Failure> RunCommitted(odbc::Session& session, const std::string& sql,
                                          const std::vector<odbc::Value>& parameters = {}) {
    if (odbc::Answer answer = session.Run(sql, parameters); !answer) {
        return answer.Err();
    }
    if (auto committed = session.Commit(); !committed) {
        return committed.Err();
    }
    return std::nullopt;
}

bool TableThere(odbc::Session& session, const std::string& name) {
    odbc::Answer probe = session.Run("SELECT COUNT(*) FROM " + name + " WHERE 1 = 0");
    session.Rollback();
    return probe.Ok();
}

// Creates one table, unless it is there already (or another station created it meanwhile); value
// true when it created it.
Result<bool, LedgerError> CreateTable(odbc::Session& session, const layout::Table& table) {
    odbc::Answer probe = session.Run("SELECT COUNT(*) FROM " + table.name + " WHERE 1 = 0");
    session.Rollback();
    if (probe) {
        return false;
    }
    if (!odbc::IsMissingTable(probe.Err())) {
        return Failed("could not look for the table " + table.name, probe.Err());
    }
    for (const std::string& statement : table.create) {
        if (std::optional<odbc::Failure> failure = RunCommitted(session, statement)) {
            session.Rollback();
            if (statement == table.create.front() && TableThere(session, table.name)) {
                return false;
            }
            return Failed("could not create the table " + table.name, *failure);
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

}  // namespace

Result<bool, LedgerError> InitLedger(const std::string& connection) {
    odbc::Session session;
    if (auto connected = Connect(session, connection); !connected) {
        return Fail(connected.Err());
    }
    const auto found = layout::FindLayout(session);
    if (!found) {
        return Failed("could not read the ledger's layout", found.Err());
    }
    if (*found) {
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
    std::optional<odbc::Failure> failure = RunCommitted(
        session, "INSERT INTO zq_layout (version) VALUES (?)", {int64_t{kLedgerLayout}});
    if (failure) {
        session.Rollback();
        // Another station initialising at the same moment wrote the same row first.
        Status checked = layout::CheckLayout(session);
        if (checked) {
            return created;
        }
        if (!odbc::IsDuplicate(*failure)) {
            return Failed("could not record the ledger's layout", *failure);
        }
        return LedgerFail(checked.Err().message);
    }
    return true;
}

Result<bool, LedgerError> DefineSequence(const std::string& connection,
                                         const SequenceDefinition& sequence) {
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
            const std::string differences = DifferencesOf(**found, sequence);
            if (!differences.empty()) {
                return LedgerFail("the sequence \"" + sequence.name +
                                      "\" is already defined with other values: " + differences,
                                  true);
            }
            return false;
        }
        std::optional<odbc::Failure> failure =
            RunCommitted(session,
                         "INSERT INTO zq_sequences (name, first_serial, vid, pid, product, locks, "
                         "next_position, defined_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                         {sequence.name, sequence.firstSerial, sequence.vid, sequence.pid,
                          sequence.product, int64_t{sequence.lock ? 1 : 0}, int64_t{0}, UtcNow()});
        if (!failure) {
            return true;
        }
        session.Rollback();
        // Defined by someone else meanwhile: compare with theirs.
        if (!odbc::IsDuplicate(*failure) || attempt > 0) {
            return Failed("could not define the sequence", *failure);
        }
    }
}

Result<std::vector<std::string>, LedgerError> OverlappingSequences(
    const std::string& connection, const SequenceDefinition& sequence) {
    odbc::Session session;
    if (auto opened = OpenLedger(session, connection); !opened) {
        return Fail(opened.Err());
    }
    odbc::Answer others = session.Run(
        "SELECT name, first_serial FROM zq_sequences WHERE vid = ? AND pid = ? AND name <> ? "
        "ORDER BY name",
        {sequence.vid, sequence.pid, sequence.name});
    session.Rollback();
    if (!others) {
        return Failed("could not read the other sequences", others.Err());
    }
    // Two sequences meet when either one's first serial is among the other's: both count up to
    // the end of the same digits.
    std::vector<std::string> names;
    const std::optional<SerialSequence> mine = SerialSequence::From(sequence.firstSerial);
    for (const odbc::Row& row : others->rows) {
        const std::string first = row.at(1).value_or("");
        const std::optional<SerialSequence> theirs = SerialSequence::From(first);
        if (mine && theirs &&
            (mine->PositionOf(first) || theirs->PositionOf(sequence.firstSerial))) {
            names.push_back(row.at(0).value_or(""));
        }
    }
    return names;
}

Result<SequenceDefinition, LedgerError> ReadSequence(const std::string& connection,
                                                     const std::string& name) {
    odbc::Session session;
    return OpenSequence(connection, name, session);
}

Result<LedgerReport, LedgerError> Report(const std::string& connection,
                                         const std::string& sequence) {
    odbc::Session session;
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
    odbc::Answer counts = session.Run(
        "SELECT station, outcome, COUNT(*) FROM zq_records WHERE sequence_name = ? "
        "GROUP BY station, outcome",
        {sequence});
    odbc::Answer unverified = session.Run(
        "SELECT s.serial FROM zq_serials s WHERE s.sequence_name = ? AND NOT EXISTS ("
        "SELECT 1 FROM zq_records r WHERE r.sequence_name = s.sequence_name "
        "AND r.serial = s.serial AND r.outcome = ?) ORDER BY s.serial_position",
        {sequence, std::string(OutcomeWord(BatchOutcome::Verified))});
    session.Rollback();
    for (const odbc::Answer* read : {&used, &highest, &counts, &unverified}) {
        if (!*read) {
            return Failed("could not read the records", read->Err());
        }
    }

    const std::optional<int64_t> serialsUsed = NumberAt(used);
    if (!serialsUsed || *serialsUsed < 0) {
        return LedgerFail("the ledger's count of serials used is not a number");
    }
    report.serialsUsed = static_cast<uint64_t>(*serialsUsed);
    if (!highest->rows.empty()) {
        report.highestSerial = highest->rows.front().at(0).value_or("");
    }
    if (Status counted = CountRecords(counts->rows, report); !counted) {
        return LedgerFail(counted.Err().message);
    }
    for (const odbc::Row& row : unverified->rows) {
        report.withoutVerified.push_back(row.at(0).value_or(""));
    }
    return report;
}

Result<std::vector<LedgerEntry>, LedgerError> Export(const std::string& connection,
                                                     const std::string& sequence) {
    odbc::Session session;
    if (auto opened = OpenSequence(connection, sequence, session); !opened) {
        return LedgerFail(opened.Err().message);
    }
    odbc::Answer records = session.Run(
        "SELECT recorded_at, port, serial, vid, pid, product, locked, outcome, status_text, "
        "station FROM zq_records WHERE sequence_name = ? ORDER BY id",
        {sequence});
    session.Rollback();
    if (!records) {
        return Failed("could not read the records", records.Err());
    }
    std::vector<LedgerEntry> entries;
    entries.reserve(records->rows.size());
    for (const odbc::Row& row : records->rows) {
        const std::optional<BatchOutcome> outcome = OutcomeFromWord(row.at(7).value_or(""));
        if (!outcome) {
            return LedgerFail("the records hold an unknown outcome \"" + row.at(7).value_or("") +
                              "\"");
        }
        LedgerEntry& entry = entries.emplace_back();
        entry.time = row.at(0).value_or("");
        entry.port = row.at(1).value_or("");
        entry.serial = row.at(2).value_or("");
        entry.vid = row.at(3).value_or("");
        entry.pid = row.at(4).value_or("");
        entry.product = row.at(5).value_or("");
        entry.lock = row.at(6).value_or("0") != "0";
        entry.outcome = *outcome;
        entry.status = row.at(8).value_or("");
        entry.station = row.at(9).value_or("");
    }
    return entries;
}
