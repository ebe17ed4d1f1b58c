#include "lease_layout.h"

#include "ledger_layout.h"

namespace layout {

std::vector<Table> LeaseTables() {
    // lease_size serials at positions from first_position up to (not including) end_position of
    // the sequence (for a format, the counters after the period's last one then; for a list, its
    // free serials there), handed to one station. The key is the station's own, so a lease whose
    // commit lost its answer is found again.
    Table leases{"zq_leases",
                 {"CREATE TABLE zq_leases ("
                  "lease_key {text}(64) NOT NULL PRIMARY KEY, "
                  "sequence_name {text}(100) NOT NULL, "
                  "station {text}(100) NOT NULL, "
                  "first_position BIGINT NOT NULL, "
                  "lease_size BIGINT NOT NULL, "
                  "end_position BIGINT NOT NULL, "
                  "period {text}(16) NOT NULL, "
                  "leased_at {text}(32) NOT NULL, "
                  "FOREIGN KEY (sequence_name) REFERENCES zq_sequences (name)){options}"}};
    // A lease's serials unused when it was released: never written to a board. A list's go back
    // to free; a counted or format sequence's stay used.
    Table releases{"zq_lease_releases",
                   {"CREATE TABLE zq_lease_releases ("
                    "lease_key {text}(64) NOT NULL PRIMARY KEY, "
                    "released BIGINT NOT NULL, "
                    "released_at {text}(32) NOT NULL, "
                    "FOREIGN KEY (lease_key) REFERENCES zq_leases (lease_key)){options}"}};
    return {leases, releases};
}

std::vector<std::string> LeaseUpgrade() {
    std::vector<std::string> steps;
    for (const Table& table : LeaseTables()) {
        std::string create = table.create.front();
        create.replace(0, std::string("CREATE TABLE").size(), "CREATE TABLE{if-not}");
        steps.push_back(create);
    }
    return steps;
}

}  // namespace layout
