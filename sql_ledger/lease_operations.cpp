#include "lease_operations.h"

#include <algorithm>
#include <map>

#include "column_number.h"
#include "ledger_layout.h"
#include "utc_time.h"

namespace {

// Each lease with the serials a board took from it (the station's serials' rows in its range)
// and what a release gave up.
const char* kLeases =
    "SELECT l.lease_key, l.sequence_name, l.station, l.first_position, l.end_position, "
    "l.lease_size, (SELECT COUNT(*) FROM zq_serials s WHERE s.sequence_name = l.sequence_name "
    "AND s.station = l.station AND s.serial_position >= l.first_position "
    "AND s.serial_position < l.end_position), "
    "(SELECT COUNT(*) FROM zq_lease_releases r WHERE r.lease_key = l.lease_key), "
    "(SELECT MAX(r.released) FROM zq_lease_releases r WHERE r.lease_key = l.lease_key) "
    "FROM zq_leases l";

struct LeaseRow {
    std::string key;
    LeaseCounts counts;
    uint64_t first = 0;
    uint64_t end = 0;
    bool released = false;
};

Result<std::vector<LeaseRow>, odbc::Failure> ReadLeases(odbc::Session& session,
                                                        const std::string& where,
                                                        const std::vector<odbc::Value>& values) {
    odbc::Answer read = session.Run(std::string(kLeases) + where, values);
    if (!read) {
        return Fail(read.Err());
    }
    std::vector<LeaseRow> rows;
    for (const odbc::Row& row : read->rows) {
        LeaseRow lease;
        lease.key = row.at(0).value_or("");
        lease.counts.sequence = row.at(1).value_or("");
        lease.counts.station = row.at(2).value_or("");
        int64_t numbers[6] = {};
        for (size_t i = 0; i < 6; i++) {
            const std::optional<int64_t> number = NumberIn(row.at(3 + i));
            // MAX of no release is NULL: nothing released.
            if ((!number && i < 5) || number.value_or(0) < 0) {
                return Fail(odbc::Failure{
                    "", "the ledger's lease " + lease.key + " holds a count that is not a count"});
            }
            numbers[i] = number.value_or(0);
        }
        lease.first = static_cast<uint64_t>(numbers[0]);
        lease.end = static_cast<uint64_t>(numbers[1]);
        lease.counts.leased = static_cast<uint64_t>(numbers[2]);
        lease.counts.used = std::min<uint64_t>(numbers[3], lease.counts.leased);
        lease.released = numbers[4] > 0;
        lease.counts.released = static_cast<uint64_t>(numbers[5]);
        const uint64_t gone = lease.counts.used + lease.counts.released;
        lease.counts.unused = gone < lease.counts.leased ? lease.counts.leased - gone : 0;
        if (lease.released) {
            lease.counts.unused = 0;
        }
        rows.push_back(std::move(lease));
    }
    return rows;
}

// Sums the leases per sequence and station, in byte order.
std::vector<LeaseCounts> PerStation(const std::vector<LeaseRow>& rows) {
    std::map<std::pair<std::string, std::string>, LeaseCounts> sums;
    for (const LeaseRow& row : rows) {
        LeaseCounts& sum = sums[{row.counts.sequence, row.counts.station}];
        sum.sequence = row.counts.sequence;
        sum.station = row.counts.station;
        sum.leased += row.counts.leased;
        sum.used += row.counts.used;
        sum.unused += row.counts.unused;
        sum.released += row.counts.released;
    }
    std::vector<LeaseCounts> counts;
    for (auto& [key, sum] : sums) {
        counts.push_back(sum);
    }
    return counts;
}

Result<void, LedgerError> Open(odbc::Session& session, const std::string& connection) {
    if (const auto connected = session.Connect(connection, 10); !connected) {
        return LedgerFail("could not connect to the ledger's database: " + connected.Err().message);
    }
    if (Status checked = layout::CheckLayout(session); !checked) {
        return LedgerFail(checked.Err().message);
    }
    return {};
}

// One lease released, inside the caller's transaction: its row of release, and a list's unused
// serials free again.
Result<void, odbc::Failure> Release(odbc::Session& session, const LeaseRow& lease) {
    odbc::Answer noted = session.Run(
        "INSERT INTO zq_lease_releases (lease_key, released, released_at) VALUES (?, ?, ?)",
        {lease.key, static_cast<int64_t>(lease.counts.unused), UtcNow()});
    if (!noted) {
        return Fail(noted.Err());
    }
    odbc::Answer freed = session.Run(
        "UPDATE zq_list_serials SET state = ? WHERE sequence_name = ? AND state = ? "
        "AND list_position >= ? AND list_position < ?",
        {std::string("free"), lease.counts.sequence, std::string("leased"),
         static_cast<int64_t>(lease.first), static_cast<int64_t>(lease.end)});
    if (!freed) {
        return Fail(freed.Err());
    }
    return {};
}

}  // namespace

Result<std::vector<LeaseCounts>, LedgerError> ListLeases(const std::string& connection,
                                                         const std::string& sequence) {
    odbc::Session session;
    if (auto opened = Open(session, connection); !opened) {
        return Fail(opened.Err());
    }
    auto rows = sequence.empty() ? ReadLeases(session, "", {})
                                 : ReadLeases(session, " WHERE l.sequence_name = ?", {sequence});
    session.Rollback();
    if (!rows) {
        return LedgerFail("could not read the leases: " + rows.Err().message);
    }
    return PerStation(*rows);
}

Result<std::vector<LeaseCounts>, LedgerError> ReleaseLeases(const std::string& connection,
                                                            const std::string& station,
                                                            const std::string& sequence) {
    odbc::Session session;
    if (auto opened = Open(session, connection); !opened) {
        return Fail(opened.Err());
    }
    std::string where = " WHERE l.station = ?";
    std::vector<odbc::Value> values = {station};
    if (!sequence.empty()) {
        where += " AND l.sequence_name = ?";
        values.push_back(sequence);
    }
    auto rows = ReadLeases(session, where, values);
    if (!rows) {
        session.Rollback();
        return LedgerFail("could not read the leases: " + rows.Err().message);
    }
    std::vector<LeaseRow> released;
    for (const LeaseRow& lease : *rows) {
        if (lease.released) {
            continue;
        }
        if (auto freed = Release(session, lease); !freed) {
            session.Rollback();
            return LedgerFail("could not release the leases: " + freed.Err().message);
        }
        LeaseRow done = lease;
        done.counts.released = lease.counts.unused;
        done.counts.unused = 0;
        released.push_back(done);
    }
    if (auto committed = session.Commit(); !committed) {
        session.Rollback();
        return LedgerFail("could not release the leases: " + committed.Err().message);
    }
    return PerStation(released);
}

Result<LeaseCounts, odbc::Failure> LeaseTotals(odbc::Session& session,
                                               const std::string& sequence) {
    auto rows = ReadLeases(session, " WHERE l.sequence_name = ?", {sequence});
    if (!rows) {
        return Fail(rows.Err());
    }
    LeaseCounts total;
    for (const LeaseCounts& station : PerStation(*rows)) {
        total.leased += station.leased;
        total.used += station.used;
        total.unused += station.unused;
        total.released += station.released;
    }
    return total;
}
