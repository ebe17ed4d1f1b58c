// A take's wait while a long list is imported into the same sequence: an engineer's `ledger
// import` must not stop the line. Defines a list sequence with a few serials, imports N more on
// one connection while a station takes a serial every 50 ms on another, and prints the import's
// time and the takes' waits (median, longest) for every server named in the environment
// (ZQ_TEST_PG, ZQ_TEST_MARIADB: scripts/db-servers.sh exports them).
//   import_bench [serials]     default 300000
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "sql_ledger.h"

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Eight characters, unique per run and position.
std::string ListSerial(const std::string& prefix, size_t position) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%06zu", prefix.c_str(), position);
    return text;
}

bool Measure(const char* server, const std::string& connection, size_t count) {
    const std::string run = std::to_string(std::chrono::system_clock::now().time_since_epoch() /
                                           std::chrono::milliseconds(1) % 100000);
    SequenceDefinition sequence{"import-bench-" + run, "", "2E1B", "", "bench", false};
    char pid[8];
    std::snprintf(pid, sizeof pid, "%04X", static_cast<unsigned>(0x1000 + std::stoi(run) % 0xE000));
    sequence.pid = pid;
    sequence.scheme = SequenceScheme::List;
    const std::string prefix(1, static_cast<char>('A' + std::stoi(run) % 26));
    std::vector<std::string> first, more;
    for (size_t i = 0; i < 1000; i++) {
        first.push_back(ListSerial(prefix + "0", i));
    }
    for (size_t i = 0; i < count; i++) {
        more.push_back(ListSerial(prefix + "1", i));
    }
    if (auto defined = DefineSequence(connection, sequence, first); !defined) {
        std::printf("%s: %s\n", server, defined.Err().message.c_str());
        return false;
    }
    auto ledger = SqlLedger::Open(connection, sequence.name, "bench",
                                  [](const std::string&, uint64_t) { return std::nullopt; });
    if (!ledger) {
        std::printf("%s: %s\n", server, ledger.Err().message.c_str());
        return false;
    }
    std::atomic<bool> importing{true};
    Clock::duration importTime{};
    std::string importError;
    std::thread import([&] {
        const auto start = Clock::now();
        auto imported = ImportSerials(connection, sequence.name, more);
        importTime = Clock::now() - start;
        importError = imported ? "" : imported.Err().message;
        importing = false;
    });
    std::vector<double> waits;
    LedgerEntry chip;
    chip.port = "COM21";
    chip.vid = sequence.vid;
    chip.pid = sequence.pid;
    chip.product = sequence.product;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    while (importing) {
        const auto start = Clock::now();
        const SerialTake take = (*ledger)->TakeSerial(chip);
        waits.push_back(Millis(Clock::now() - start));
        if (take.result != TakeResult::Taken) {
            std::printf("%s: a take during the import failed: %s\n", server, take.message.c_str());
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    import.join();
    if (!importError.empty()) {
        std::printf("%s: the import failed: %s\n", server, importError.c_str());
        return false;
    }
    std::sort(waits.begin(), waits.end());
    std::printf(
        "%-10s import of %zu serials %.1f s; %zu takes meanwhile: median %.1f ms, longest "
        "%.1f ms\n",
        server, count, Millis(importTime) / 1000, waits.size(),
        waits.empty() ? 0.0 : waits[waits.size() / 2], waits.empty() ? 0.0 : waits.back());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 300000;
    bool ok = true;
    for (auto [server, variable] :
         {std::pair{"PostgreSQL", "ZQ_TEST_PG"}, std::pair{"MariaDB", "ZQ_TEST_MARIADB"}}) {
        if (const char* connection = std::getenv(variable); connection != nullptr && *connection) {
            ok = Measure(server, connection, count) && ok;
        }
    }
    return ok ? 0 : 1;
}
