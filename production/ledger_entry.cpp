#include "ledger_entry.h"

const LedgerEntry* LastProgramming(const std::vector<LedgerEntry>& records,
                                   const std::string& serial) {
    const LedgerEntry* last = nullptr;
    for (const LedgerEntry& record : records) {
        if (record.serial == serial && IsProgramming(record.outcome)) {
            last = &record;
        }
    }
    return last;
}
