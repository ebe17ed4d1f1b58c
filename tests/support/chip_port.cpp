#include "chip_port.h"

ChipPort::ChipPort(uint8_t fill) : chip_(std::make_unique<ChipModel>()) {
    ChipInit(chip_.get(), fill);
}

bool ChipPort::WriteBytes(const uint8_t* bytes, uint32_t count, uint32_t* written) {
    writes_.emplace_back(bytes, bytes + count);
    bool ok = ChipWrite(chip_.get(), bytes, count) != 0;
    *written = ok ? count : 0;
    return ok;
}

bool ChipPort::ReadBytes(uint8_t* dest, uint32_t count, uint32_t* read) {
    readCalls_++;
    uint32_t got = 0;
    while (got < count && ChipTakeReply(chip_.get(), &dest[got])) {
        got++;
    }
    *read = got;
    return true;
}

std::vector<ChipLogEntry> ChipPort::Log() const {
    std::vector<ChipLogEntry> entries;
    for (ChipCount i = 0; const ChipLogEntry* entry = ChipLogAt(chip_.get(), i); i++) {
        entries.push_back(*entry);
    }
    return entries;
}
