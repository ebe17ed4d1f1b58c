// Serials leased ahead to a station: a block of a sequence's serials recorded in the ledger as
// the station's, which its boards take one by one without the sequence's row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LeasedSerial {
    uint64_t position = 0;  // the serial's position in the sequence, its row's when taken
    std::string serial;
    std::string lease;   // the lease's key
    std::string period;  // a format's period, "" for other schemes
};

struct LeaseBlock {
    std::string key;     // the lease's row in the ledger
    std::string period;  // a format's period the serials belong to; "" for other schemes
    std::vector<LeasedSerial> serials;
};
