// Where a log ledger keeps its records: a file on a station's disk, or memory in a test. Small
// on purpose, so that a test can make one fail at any record.
#pragma once

#include <string>
#include <vector>

#include "ledger_entry.h"
#include "result.h"

class RecordStore {
public:
    virtual ~RecordStore() = default;
    // Every record stored so far, in order; fails when the store cannot be read or holds
    // something else.
    virtual Result<std::vector<LedgerEntry>> Load() = 0;
    // Stores one record durably (on disk, not in a cache) before it returns; fails when it
    // could not.
    virtual Status Append(const LedgerEntry& record) = 0;
};
