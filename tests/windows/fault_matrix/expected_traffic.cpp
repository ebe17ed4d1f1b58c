#include "expected_traffic.h"

#include <cstdio>
#include <cstring>

#include "chip_map.h"

namespace {

constexpr uint8_t WRITE_COMMAND = 0xA0;
constexpr uint8_t READ_COMMAND = 0xA1;
constexpr uint8_t LOCK_ADDRESS = 0x03;

ZqSimLogEntry Entry(uint8_t kind, uint8_t command, uint8_t address, uint8_t value) {
    ZqSimLogEntry entry{};
    entry.kind = kind;
    entry.command = command;
    entry.address = address;
    entry.value = value;
    return entry;
}

bool SameEntry(const ZqSimLogEntry& a, const ZqSimLogEntry& b) {
    return a.kind == b.kind && a.command == b.command && a.address == b.address &&
           a.value == b.value;
}

std::string Describe(const ZqSimLogEntry& entry) {
    static const char* const kinds[] = {"?",       "write", "read",   "locked",
                                        "refused", "bad",   "foreign"};
    char text[64];
    std::snprintf(text, sizeof(text), "%s %02X @%02X =%02X",
                  entry.kind < 7 ? kinds[entry.kind] : "?", entry.command, entry.address,
                  entry.value);
    return text;
}

}  // namespace

std::vector<WriteFrame> FormWrites(bool lock) {
    ChipImage image{0x1234, 0xABCD, FORM_SERIAL,
                    std::u16string(FORM_PRODUCT, FORM_PRODUCT + std::strlen(FORM_PRODUCT))};
    std::vector<uint8_t> bytes = image.Bytes();
    std::vector<WriteFrame> frames;
    // A write visits the read's addresses but the lock, and the lock only last.
    for (uint8_t address : ReadOrder()) {
        if (address != LOCK_ADDRESS) {
            frames.push_back({address, bytes[address]});
        }
    }
    if (lock) {
        frames.push_back({LOCK_ADDRESS, 0x57});
    }
    return frames;
}

std::vector<uint8_t> ConfiguredChipImage() {
    return ChipImage{0x5678, 0x9ABC, "CHIPSER1", u"chip product"}.Bytes();
}

std::vector<ZqSimLogEntry> ExpectedLog(const std::vector<WriteFrame>& writes,
                                       const std::vector<uint8_t>& memoryBefore, int answered) {
    std::vector<ZqSimLogEntry> log;
    std::vector<uint8_t> memory = memoryBefore;
    auto mute = [&] { return answered != NO_FAULT && static_cast<int>(log.size()) == answered; };
    for (const WriteFrame& frame : writes) {
        if (mute()) {
            // The refused write is logged with its value and the job stops at once.
            log.push_back(Entry(ZQSIM_LOG_MUTE, WRITE_COMMAND, frame.address, frame.value));
            return log;
        }
        log.push_back(Entry(ZQSIM_LOG_WRITE, WRITE_COMMAND, frame.address, frame.value));
        memory[frame.address] = frame.value;
    }
    for (uint8_t address : ReadOrder()) {
        if (mute()) {
            // A read frame goes out unanswered; its read times out and the job stops.
            log.push_back(Entry(ZQSIM_LOG_MUTE, READ_COMMAND, address, 0x00));
            return log;
        }
        log.push_back(Entry(ZQSIM_LOG_READ, READ_COMMAND, address, memory[address]));
    }
    return log;
}

std::vector<uint8_t> MemoryFromLog(const std::vector<uint8_t>& memoryBefore,
                                   const std::vector<ZqSimLogEntry>& log) {
    std::vector<uint8_t> memory = memoryBefore;
    for (const ZqSimLogEntry& entry : log) {
        if (entry.kind == ZQSIM_LOG_WRITE && entry.address < memory.size()) {
            memory[entry.address] = entry.value;
        }
    }
    return memory;
}

int AnsweredBeforeMute(const std::vector<ZqSimLogEntry>& log) {
    for (size_t i = 0; i < log.size(); i++) {
        if (log[i].kind == ZQSIM_LOG_MUTE) {
            return static_cast<int>(i);
        }
    }
    return NO_FAULT;
}

std::vector<std::string> CompareTraffic(const std::vector<ZqSimLogEntry>& expectedLog,
                                        const std::vector<ZqSimLogEntry>& actualLog,
                                        unsigned actualTotal,
                                        const std::vector<uint8_t>& memoryBefore,
                                        const std::vector<uint8_t>& memoryAfter) {
    std::vector<std::string> problems;
    char line[160];
    if (memoryBefore.size() != ZQSIM_MEMORY_SIZE || memoryAfter.size() != ZQSIM_MEMORY_SIZE) {
        problems.push_back("chip memory could not be read");
        return problems;
    }
    if (actualTotal != actualLog.size()) {
        problems.push_back("the driver log overflowed");
    }
    size_t common = expectedLog.size() < actualLog.size() ? expectedLog.size() : actualLog.size();
    for (size_t i = 0; i < common; i++) {
        if (!SameEntry(expectedLog[i], actualLog[i])) {
            std::snprintf(line, sizeof(line), "frame %zu: expected %s, got %s", i,
                          Describe(expectedLog[i]).c_str(), Describe(actualLog[i]).c_str());
            problems.push_back(line);
            break;
        }
    }
    if (expectedLog.size() != actualLog.size()) {
        std::snprintf(line, sizeof(line), "%zu frames reached the chip, expected %zu%s",
                      actualLog.size(), expectedLog.size(),
                      actualLog.size() > expectedLog.size() ? " (frames after the failure)" : "");
        problems.push_back(line);
    }

    // The image the log says was stored must be what the chip holds, and must be the image the
    // fault point allows: the bytes written before the failure and nothing after.
    std::vector<uint8_t> fromLog = MemoryFromLog(memoryBefore, actualLog);
    std::vector<uint8_t> expected = MemoryFromLog(memoryBefore, expectedLog);
    for (size_t address = 0; address < memoryAfter.size(); address++) {
        if (memoryAfter[address] != fromLog[address]) {
            std::snprintf(line, sizeof(line), "memory %02zX holds %02X, the log stored %02X",
                          address, memoryAfter[address], fromLog[address]);
            problems.push_back(line);
        }
        if (memoryAfter[address] != expected[address]) {
            std::snprintf(line, sizeof(line), "memory %02zX holds %02X, expected %02X", address,
                          memoryAfter[address], expected[address]);
            problems.push_back(line);
        }
    }
    if (memoryBefore[LOCK_ADDRESS] != 0x57 && expected[LOCK_ADDRESS] != 0x57 &&
        memoryAfter[LOCK_ADDRESS] == 0x57) {
        problems.push_back("an unfinished write left the chip locked");
    }
    return problems;
}

std::vector<std::string> SelfCheckTraffic() {
    std::vector<std::string> missed;
    std::vector<uint8_t> blank(ZQSIM_MEMORY_SIZE, 0xFF);
    std::vector<WriteFrame> writes = FormWrites(true);
    const int failAt = 20;
    std::vector<ZqSimLogEntry> good = ExpectedLog(writes, blank, failAt);
    std::vector<uint8_t> goodMemory = MemoryFromLog(blank, good);
    auto expectFlagged = [&](const char* what, const std::vector<ZqSimLogEntry>& log,
                             const std::vector<uint8_t>& memory) {
        if (CompareTraffic(good, log, static_cast<unsigned>(log.size()), blank, memory).empty()) {
            missed.push_back(what);
        }
    };

    if (good.size() != failAt + 1 || good.back().kind != ZQSIM_LOG_MUTE ||
        goodMemory[writes[failAt].address] != 0xFF || goodMemory[0] != 0x5B) {
        missed.push_back("the expected log of a write failing at frame 20 is wrong");
    }
    if (!CompareTraffic(good, good, static_cast<unsigned>(good.size()), blank, goodMemory)
             .empty()) {
        missed.push_back("a correct run is flagged");
    }

    std::vector<ZqSimLogEntry> extra = good;
    extra.push_back(Entry(ZQSIM_LOG_WRITE, WRITE_COMMAND, writes[failAt + 1].address,
                          writes[failAt + 1].value));
    expectFlagged("a write after the failure", extra, MemoryFromLog(blank, extra));

    std::vector<ZqSimLogEntry> swapped = good;
    std::swap(swapped[3], swapped[4]);
    expectFlagged("two writes out of order", swapped, MemoryFromLog(blank, swapped));

    std::vector<uint8_t> storedFailed = goodMemory;
    storedFailed[writes[failAt].address] = writes[failAt].value;
    expectFlagged("the refused byte stored anyway", good, storedFailed);

    std::vector<uint8_t> locked = goodMemory;
    locked[LOCK_ADDRESS] = 0x57;
    expectFlagged("a lock left by a failed write", good, locked);

    std::vector<ZqSimLogEntry> readBack = ExpectedLog(writes, blank, LOCKED_WRITE_FRAMES + 5);
    std::vector<ZqSimLogEntry> wrongReply = readBack;
    wrongReply[LOCKED_WRITE_FRAMES + 2].value ^= 0x01;
    if (CompareTraffic(readBack, wrongReply, static_cast<unsigned>(wrongReply.size()), blank,
                       MemoryFromLog(blank, readBack))
            .empty()) {
        missed.push_back("a read-back reply that differs from memory");
    }
    return missed;
}
