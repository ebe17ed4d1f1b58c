// --serial-list: serials assigned in advance, handed out in the list's order; the batch goes on
// with the first one its records have not used, so a list is never read twice.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "serial_scheme.h"

// "250 in the list": a list's capacity as every scheme's is told.
std::string ListCapacity(uint64_t size);
// Why a list gives no more serials, wherever the list is kept (a log's file or a ledger's table).
std::string ListRanOut(const std::string& capacity);

class ListScheme : public SerialScheme {
public:
    explicit ListScheme(std::vector<std::string> serials);

    void MarkUsed(const std::string& serial) override;
    SchemeNext Next() override;
    std::string ResumedAfter() override;
    std::string Capacity() const override;

private:
    const std::vector<std::string> serials_;
    std::set<std::string> used_;
    size_t first_ = 0;  // no serial before it is free
};
