// Where a log ledger keeps its records: a file on a station's disk, or memory in a test. Small
// on purpose, so that a test can make one fail at any record.
#pragma once

#include <string>
#include <vector>

#include "ledger_entry.h"

class RecordStore {
public:
    virtual ~RecordStore() = default;
    // Every record stored so far, in order; false, with why in problem, when the store cannot be
    // read or holds something else.
    virtual bool Load(std::vector<LedgerEntry>& records, std::string& problem) = 0;
    // Stores one record durably (on disk, not in a cache) before it returns; false when it
    // could not.
    virtual bool Append(const LedgerEntry& record) = 0;
};
