#include "ledger_operations.h"

#include <algorithm>

#include "column_number.h"
#include "ledger_layout.h"
#include "ledger_text.h"
#include "serial_sequence.h"
#include "utc_time.h"

namespace {

constexpr int kLoginTimeoutSeconds = 10;

std::string Connect(odbc::Session& session, const std::string& connection) {
    if (const auto connected = session.Connect(connection, kLoginTimeoutSeconds); !connected) {
        return "could not connect to the ledger's database: " + connected.Err().message;
    }
    return "";
}

// Connects and checks the layout: "" when the ledger is ready to use.
std::string OpenLedger(odbc::Session& session, const std::string& connection) {
    std::string error = Connect(session, connection);
    return error.empty() ? layout::CheckLayout(session) : error;
}

std::string FailureMessage(const std::string& what, const odbc::Failure& failure) {
    return what + ": " + failure.message;
}

// Creates one table, unless it is there already (or another station created it meanwhile).
std::string CreateTable(odbc::Session& session, const layout::Table& table, bool& created) {
    odbc::Result probe = session.Run("SELECT COUNT(*) FROM " + table.name + " WHERE 1 = 0");
    session.Rollback();
    if (probe.Ok()) {
        return "";
    }
    if (!odbc::IsMissingTable(*probe.failure)) {
        return FailureMessage("could not look for the table " + table.name, *probe.failure);
    }
    for (const std::string& statement : table.create) {
        odbc::Result result = session.Run(statement);
        std::optional<odbc::Failure> failure = result.failure;
        if (!failure) {
            if (auto committed = session.Commit(); !committed) {
                failure = committed.Err();
            }
        }
        if (failure) {
            session.Rollback();
            odbc::Result again = session.Run("SELECT COUNT(*) FROM " + table.name + " WHERE 1 = 0");
            session.Rollback();
            if (again.Ok() && statement == table.create.front()) {
                return "";
            }
            return FailureMessage("could not create the table " + table.name, *failure);
        }
    }
    created = true;
    return "";
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

enum class SequenceOpen { Open, Failed, Missing };

// Connects and reads the sequence; the result's error says why not.
template <typename T>
SequenceOpen OpenSequence(const std::string& connection, const std::string& name,
                          odbc::Session& session, SequenceDefinition& sequence,
                          LedgerResult<T>& result) {
    if ((result.error = OpenLedger(session, connection)) != "") {
        return SequenceOpen::Failed;
    }
    layout::SequenceFound found = layout::FindSequence(session, name);
    if (found.failure) {
        result.error = FailureMessage("could not read the sequence", *found.failure);
        return SequenceOpen::Failed;
    }
    if (!found.definition) {
        result.error = MissingSequence(name);
        return SequenceOpen::Missing;
    }
    sequence = *found.definition;
    return SequenceOpen::Open;
}

}  // namespace

LedgerResult<bool> InitLedger(const std::string& connection) {
    LedgerResult<bool> result;
    odbc::Session session;
    if ((result.error = Connect(session, connection)) != "") {
        return result;
    }
    layout::LayoutFound found = layout::FindLayout(session);
    if (found.failure) {
        result.error = FailureMessage("could not read the ledger's layout", *found.failure);
        return result;
    }
    if (found.version) {
        if (*found.version != kLedgerLayout) {
            result.error = layout::CheckLayout(session);
        }
        return result;
    }
    for (const layout::Table& table : layout::Tables(session.DatabaseEngine())) {
        if ((result.error = CreateTable(session, table, result.value)) != "") {
            return result;
        }
    }
    odbc::Result inserted =
        session.Run("INSERT INTO zq_layout (version) VALUES (?)", {int64_t{kLedgerLayout}});
    std::optional<odbc::Failure> failure = inserted.failure;
    if (!failure) {
        if (auto committed = session.Commit(); !committed) {
            failure = committed.Err();
        }
    }
    if (failure) {
        session.Rollback();
        // Another station initialising at the same moment wrote the same row first.
        result.error = layout::CheckLayout(session);
        if (!result.error.empty() && !odbc::IsDuplicate(*failure)) {
            result.error = FailureMessage("could not record the ledger's layout", *failure);
        }
        return result;
    }
    result.value = true;
    return result;
}

LedgerResult<bool> DefineSequence(const std::string& connection,
                                  const SequenceDefinition& sequence) {
    LedgerResult<bool> result;
    odbc::Session session;
    if ((result.error = OpenLedger(session, connection)) != "") {
        return result;
    }
    for (int attempt = 0; attempt < 2; attempt++) {
        layout::SequenceFound found = layout::FindSequence(session, sequence.name);
        if (found.failure) {
            result.error = FailureMessage("could not read the sequence", *found.failure);
            return result;
        }
        if (found.definition) {
            const std::string differences = DifferencesOf(*found.definition, sequence);
            if (!differences.empty()) {
                result.error = "the sequence \"" + sequence.name +
                               "\" is already defined with other values: " + differences;
                result.refused = true;
            }
            return result;
        }
        odbc::Result inserted = session.Run(
            "INSERT INTO zq_sequences (name, first_serial, vid, pid, product, locks, "
            "next_position, defined_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
            {sequence.name, sequence.firstSerial, sequence.vid, sequence.pid, sequence.product,
             int64_t{sequence.lock ? 1 : 0}, int64_t{0}, UtcNow()});
        std::optional<odbc::Failure> failure = inserted.failure;
        if (!failure) {
            if (auto committed = session.Commit(); !committed) {
                failure = committed.Err();
            }
        }
        if (!failure) {
            result.value = true;
            return result;
        }
        session.Rollback();
        // Defined by someone else meanwhile: compare with theirs.
        if (!odbc::IsDuplicate(*failure) || attempt > 0) {
            result.error = FailureMessage("could not define the sequence", *failure);
            return result;
        }
    }
    return result;
}

LedgerResult<std::vector<std::string>> OverlappingSequences(const std::string& connection,
                                                            const SequenceDefinition& sequence) {
    LedgerResult<std::vector<std::string>> result;
    odbc::Session session;
    if ((result.error = OpenLedger(session, connection)) != "") {
        return result;
    }
    odbc::Result others = session.Run(
        "SELECT name, first_serial FROM zq_sequences WHERE vid = ? AND pid = ? AND name <> ? "
        "ORDER BY name",
        {sequence.vid, sequence.pid, sequence.name});
    session.Rollback();
    if (!others.Ok()) {
        result.error = FailureMessage("could not read the other sequences", *others.failure);
        return result;
    }
    // Two sequences meet when either one's first serial is among the other's: both count up to
    // the end of the same digits.
    const std::optional<SerialSequence> mine = SerialSequence::From(sequence.firstSerial);
    for (const odbc::Row& row : others.rows) {
        const std::string first = row.at(1).value_or("");
        const std::optional<SerialSequence> theirs = SerialSequence::From(first);
        if (mine && theirs &&
            (mine->PositionOf(first) || theirs->PositionOf(sequence.firstSerial))) {
            result.value.push_back(row.at(0).value_or(""));
        }
    }
    return result;
}

LedgerResult<SequenceDefinition> ReadSequence(const std::string& connection,
                                              const std::string& name) {
    LedgerResult<SequenceDefinition> result;
    odbc::Session session;
    SequenceOpen opened = OpenSequence(connection, name, session, result.value, result);
    result.refused = opened == SequenceOpen::Missing;
    return result;
}

namespace {

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

LedgerResult<LedgerReport> Report(const std::string& connection, const std::string& sequence) {
    LedgerResult<LedgerReport> result;
    odbc::Session session;
    LedgerReport& report = result.value;
    if (OpenSequence(connection, sequence, session, report.sequence, result) !=
        SequenceOpen::Open) {
        return result;
    }

    odbc::Result used =
        session.Run("SELECT COUNT(*), MAX(serial_position) FROM zq_serials WHERE sequence_name = ?",
                    {sequence});
    odbc::Result highest;
    if (const std::optional<int64_t> position = NumberAt(used, 1); used.Ok() && position) {
        highest = session.Run(
            "SELECT serial FROM zq_serials WHERE sequence_name = ? AND serial_position = ?",
            {sequence, *position});
    }
    odbc::Result counts = session.Run(
        "SELECT station, outcome, COUNT(*) FROM zq_records WHERE sequence_name = ? "
        "GROUP BY station, outcome",
        {sequence});
    odbc::Result unverified = session.Run(
        "SELECT s.serial FROM zq_serials s WHERE s.sequence_name = ? AND NOT EXISTS ("
        "SELECT 1 FROM zq_records r WHERE r.sequence_name = s.sequence_name "
        "AND r.serial = s.serial AND r.outcome = ?) ORDER BY s.serial_position",
        {sequence, std::string(OutcomeWord(BatchOutcome::Verified))});
    session.Rollback();
    for (const odbc::Result* read : {&used, &highest, &counts, &unverified}) {
        if (!read->Ok()) {
            result.error = FailureMessage("could not read the records", *read->failure);
            return result;
        }
    }

    const std::optional<int64_t> serialsUsed = NumberAt(used);
    if (!serialsUsed || *serialsUsed < 0) {
        result.error = "the ledger's count of serials used is not a number";
        return result;
    }
    report.serialsUsed = static_cast<uint64_t>(*serialsUsed);
    if (!highest.rows.empty()) {
        report.highestSerial = highest.rows.front().at(0).value_or("");
    }
    if (Status counted = CountRecords(counts.rows, report); !counted) {
        result.error = counted.Err().message;
        return result;
    }
    for (const odbc::Row& row : unverified.rows) {
        report.withoutVerified.push_back(row.at(0).value_or(""));
    }
    return result;
}

LedgerResult<std::vector<LedgerEntry>> Export(const std::string& connection,
                                              const std::string& sequence) {
    LedgerResult<std::vector<LedgerEntry>> result;
    odbc::Session session;
    SequenceDefinition found;
    if (OpenSequence(connection, sequence, session, found, result) != SequenceOpen::Open) {
        return result;
    }
    odbc::Result records = session.Run(
        "SELECT recorded_at, port, serial, vid, pid, product, locked, outcome, status_text, "
        "station FROM zq_records WHERE sequence_name = ? ORDER BY id",
        {sequence});
    session.Rollback();
    if (!records.Ok()) {
        result.error = FailureMessage("could not read the records", *records.failure);
        return result;
    }
    result.value.reserve(records.rows.size());
    for (const odbc::Row& row : records.rows) {
        const std::optional<BatchOutcome> outcome = OutcomeFromWord(row.at(7).value_or(""));
        if (!outcome) {
            result.error = "the records hold an unknown outcome \"" + row.at(7).value_or("") + "\"";
            return result;
        }
        LedgerEntry& entry = result.value.emplace_back();
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
    return result;
}
