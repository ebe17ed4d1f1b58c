#include "chip_safety.h"

#include <cstdio>

#include "chip_map.h"

namespace {

bool IsWriteFrame(const ZqSimLogEntry& entry) {
    return entry.command == 0xA0;
}

std::string Describe(const std::string& port, size_t index, const ZqSimLogEntry& entry,
                     const char* what) {
    char line[160];
    std::snprintf(line, sizeof(line), "%s frame %zu (kind %u, %02X %02X %02X): %s", port.c_str(),
                  index, entry.kind, entry.command, entry.address, entry.value, what);
    return line;
}

}  // namespace

ChipSafety::ChipSafety(SimControl& sim) : sim_(sim) {}

void ChipSafety::Begin() {
    before_.clear();
    lockConfirmed_ = false;
    ZqSimPortList ports = sim_.Ports();
    for (unsigned i = 0; i < ports.count && i < ZQSIM_MAX_PORTS; i++) {
        std::string name = ports.ports[i].port;
        sim_.Clear(name);
        before_[name] = sim_.Memory(name);
    }
}

std::vector<std::string> ChipSafety::Violations() {
    std::vector<std::string> violations;
    ZqSimPortList ports = sim_.Ports();
    for (unsigned i = 0; i < ports.count && i < ZQSIM_MAX_PORTS; i++) {
        const ZqSimPortInfo& info = ports.ports[i];
        std::string name = info.port;
        unsigned total = 0;
        std::vector<ZqSimLogEntry> log = sim_.Log(name, &total);
        if (total > log.size()) {
            violations.push_back(name + ": frame log overflowed, frames went unchecked");
        }
        for (size_t k = 0; k < log.size(); k++) {
            const ZqSimLogEntry& entry = log[k];
            if (info.kind == ZQSIM_KIND_FOREIGN) {
                violations.push_back(Describe(name, k, entry, "a foreign port got a frame"));
                continue;
            }
            if (entry.kind == ZQSIM_LOG_BAD) {
                violations.push_back(Describe(name, k, entry, "not a well-formed frame"));
            }
            if (IsUnusedAddress(entry.address)) {
                violations.push_back(Describe(name, k, entry, "touches an unused address"));
            }
            if (!IsWriteFrame(entry) || entry.address != 0x03) {
                continue;
            }
            if (entry.value != 0x57) {
                violations.push_back(
                    Describe(name, k, entry, "writes the lock with another value"));
            }
            if (k + 1 < log.size() && IsWriteFrame(log[k + 1])) {
                violations.push_back(Describe(name, k, entry, "the lock is not the last write"));
            }
            if (!lockConfirmed_) {
                violations.push_back(Describe(name, k, entry, "lock written without confirmation"));
            }
        }
        auto snapshot = before_.find(name);
        if (snapshot != before_.end() && snapshot->second.size() > 3 &&
            snapshot->second[3] == 0x57 && sim_.Memory(name) != snapshot->second) {
            violations.push_back(name + ": a locked chip's memory changed");
        }
    }
    return violations;
}
