// The SQL ledger's time per chip on loopback servers: a serial's allocation commit (TakeSerial)
// plus its outcome's commit (Record), with one station and with three stations at once on the
// same sequence, each station a connection of its own on a thread of its own, for a counted
// sequence, a list sequence and a weekly format sequence; then 3 and 16 stations on a counted
// sequence, without and with serials leased ahead. With leases each station keeps a journal on
// disk, as a leasing station does: a board waits for its records' lines on disk (fsync), and the
// ledger's sender writes them to the database meanwhile; the takes per second count until the
// last record is in the database; and 16 stations with leases no station runs out of. Prints the
// median and the 99th percentile for every server named in the environment (ZQ_TEST_PG,
// ZQ_TEST_MARIADB: scripts/db-servers.sh exports them).
//   ledger_bench [chips per station]     default 300
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "lease_journal.h"
#include "sql_ledger.h"
#include "synced_file.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kTargetMillis = 5.0;
// With leases, 16 stations at once: the 99th percentile per chip.
constexpr double kLeaseTargetMillis = 2.0;
constexpr int kLease = 50;
// A lease no station runs out of during the run: its boards never wait for the next one, which at
// 16 stations queues for the sequence's row behind the other stations' commits.
constexpr int kLongLease = 1000;
constexpr int kWarmUpChips = 20;

// Any rule will do: the ledger only stores what it hands out.
std::optional<std::string> BenchSerial(const std::string& first, uint64_t position) {
    return first + "/" + std::to_string(position);
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t at = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

struct Samples {
    std::vector<double> chip;  // the take and the record
    std::vector<double> take;
};

// One station's chips, each timed from the take to the recorded outcome; empty on a failure.
Samples RunStation(SqlLedger& ledger, int chips, std::string& error) {
    Samples millis;
    LedgerEntry chip;
    chip.port = "COM21";
    chip.vid = ledger.Sequence().vid;
    chip.pid = ledger.Sequence().pid;
    chip.product = ledger.Sequence().product;
    for (int i = 0; i < chips; i++) {
        const auto start = Clock::now();
        const SerialTake take = ledger.TakeSerial(chip);
        const auto taken = Clock::now();
        LedgerEntry outcome = chip;
        outcome.serial = take.serial;
        outcome.outcome = BatchOutcome::Verified;
        outcome.status = "写入成功";
        if (take.result != TakeResult::Taken || !ledger.Record(outcome)) {
            error = take.message.empty() ? "an outcome was not recorded" : take.message;
            return {};
        }
        millis.chip.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        millis.take.push_back(std::chrono::duration<double, std::milli>(taken - start).count());
    }
    return millis;
}

// The journals of a run's leasing stations, in a folder of their own, removed afterwards.
struct Journals {
    std::filesystem::path folder;
    std::vector<std::unique_ptr<SyncedFile>> files;
    std::vector<std::unique_ptr<LeaseJournal>> journals;
    ~Journals() {
        journals.clear();
        files.clear();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    LeaseJournal* Add(const std::string& station) {
        files.push_back(std::make_unique<SyncedFile>((folder / (station + ".journal")).string()));
        journals.push_back(std::make_unique<LeaseJournal>(*files.back(), station));
        return files.back()->IsOpen() ? journals.back().get() : nullptr;
    }
};

std::filesystem::path JournalFolder() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("ledger_bench-" + std::to_string(now));
    std::filesystem::create_directories(folder);
    return folder;
}

// Times `stations` stations taking `chips` chips each at once; false when one failed.
bool Measure(const std::string& connection, const std::string& sequence, const char* what,
             int stations, int chips, int lease = 0) {
    Journals journals{lease > 0 ? JournalFolder() : std::filesystem::path(), {}, {}};
    std::vector<std::unique_ptr<SqlLedger>> ledgers;  // closed before their journals
    SqlLedgerOptions options;
    options.lease = lease;
    options.leaseLow = lease / 4;
    for (int s = 0; s < stations; s++) {
        const std::string station = "bench-" + std::to_string(s);
        if (lease > 0 && (options.journal = journals.Add(station)) == nullptr) {
            std::printf("   FAILED: cannot open a journal in %s\n", journals.folder.c_str());
            return false;
        }
        auto opened = SqlLedger::Open(connection, sequence, station, BenchSerial, options);
        if (!opened) {
            std::printf("   FAILED: %s\n", opened.Err().message.c_str());
            return false;
        }
        ledgers.push_back(std::move(*opened));
    }
    std::vector<Samples> samples(stations);
    std::vector<std::string> errors(stations);
    for (int s = 0; s < stations; s++) {
        RunStation(*ledgers[s], kWarmUpChips, errors[s]);
    }
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int s = 0; s < stations; s++) {
        threads.emplace_back([&, s] { samples[s] = RunStation(*ledgers[s], chips, errors[s]); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    // Sustained: until every record is in the database (with leases, the senders' backlog).
    for (int s = 0; s < stations; s++) {
        if (Status finished = ledgers[s]->Finish(); !finished && errors[s].empty()) {
            errors[s] = finished.Err().message;
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<double> all, takes;
    for (int s = 0; s < stations; s++) {
        if (!errors[s].empty()) {
            std::printf("   FAILED: %s\n", errors[s].c_str());
            return false;
        }
        all.insert(all.end(), samples[s].chip.begin(), samples[s].chip.end());
        takes.insert(takes.end(), samples[s].take.begin(), samples[s].take.end());
    }
    const double median = Percentile(all, 0.5);
    const double p99 = Percentile(all, 0.99);
    if (std::string(what).find("lease") != std::string::npos) {
        // The sequence's takes per second: every chip took one serial from it.
        const bool judged = lease > 0 && stations == 16;
        std::printf(
            "     %-8s %2d stations  median %5.2f ms   p99 %6.2f ms   %5.0f takes/s "
            "sustained%s\n",
            what, stations, median, p99, static_cast<double>(all.size()) / seconds,
            !judged                     ? ""
            : p99 <= kLeaseTargetMillis ? "   target p99 <= 2 ms  ok"
                                        : "   target p99 <= 2 ms  MISSED");
        return true;
    }
    std::printf(
        "     %-7s %d station%s  median %5.2f ms (take %5.2f)   p99 %6.2f ms   %4.0f chips/s "
        "in all   target median <= %.0f ms  %s\n",
        what, stations, stations == 1 ? " " : "s", median, Percentile(takes, 0.5),
        Percentile(all, 0.99), static_cast<double>(all.size()) / seconds, kTargetMillis,
        median <= kTargetMillis ? "ok" : "MISSED");
    return true;
}

// A journal line's cost on this disk: written and fsync'ed, as each board's two records are.
void MeasureFlush() {
    const std::filesystem::path folder = JournalFolder();
    std::vector<double> millis;
    {
        SyncedFile file((folder / "flush.journal").string());
        const std::string line(200, 'x');
        for (int i = 0; i < 300 && file.IsOpen(); i++) {
            const auto start = Clock::now();
            if (!file.Append(line + "\n")) {
                break;
            }
            millis.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    if (millis.size() < 300) {
        std::printf("   journal line on disk: FAILED in %s\n", folder.c_str());
        return;
    }
    std::printf("   journal line on disk (write + fsync): median %5.2f ms   p99 %6.2f ms\n",
                Percentile(millis, 0.5), Percentile(millis, 0.99));
}

// The figures depend on what else runs: the cores, and the load they carried at the start.
void DescribeMachine() {
    std::ifstream loadavg("/proc/loadavg");
    std::string load;
    loadavg >> load;
    std::printf(
        "   machine: %u cores, load average %s at the start (servers, stations and senders "
        "share them)\n",
        std::thread::hardware_concurrency(), load.empty() ? "unknown" : load.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const int chips = argc > 1 ? std::atoi(argv[1]) : 300;
    if (chips < 1) {
        std::fprintf(stderr, "usage: ledger_bench [chips per station]\n");
        return 2;
    }
    std::printf(
        "8. The SQL ledger: time per chip (allocation commit + outcome commit), %d chips "
        "per station, loopback\n",
        chips);
    DescribeMachine();
    MeasureFlush();
    const struct {
        const char* name;
        const char* variable;
    } servers[] = {{"PostgreSQL", "ZQ_TEST_PG"}, {"MariaDB", "ZQ_TEST_MARIADB"}};
    bool failed = false;
    for (const auto& server : servers) {
        const char* connection = std::getenv(server.variable);
        if (connection == nullptr || *connection == '\0') {
            std::printf("   %s: FAILED: %s is not set\n", server.name, server.variable);
            failed = true;
            continue;
        }
        std::printf("   %s\n", server.name);
        const auto init = InitLedger(connection);
        const auto now = std::chrono::system_clock::now().time_since_epoch().count();
        const std::string sequence = "bench-" + std::to_string(now);
        // A PID of its own: a serial is unique per VID and PID, and every run counts from
        // LB000001; a run over an earlier run's serials would time the skipping of them.
        char pid[8];
        std::snprintf(pid, sizeof pid, "%04X", static_cast<unsigned>(1 + now / 1000 % 0xFFFD));
        SequenceDefinition counted{sequence, "LB000001", "2E1B", pid, "usb2.0 serial", false};
        // Enough serials for every station's warm-up and chips, in the list and in the week.
        SequenceDefinition list = counted;
        list.name += "-list";
        list.scheme = SequenceScheme::List;
        std::vector<std::string> serials;
        for (int i = 0; i < 4 * (kWarmUpChips + chips); i++) {  // 1 + 3 stations
            serials.push_back("LL" + std::to_string(100000 + i));
        }
        SequenceDefinition format = counted;
        format.name += "-week";
        format.scheme = SequenceScheme::Format;
        format.serialFormat = "{YY}{WW}{Z:4}";
        const auto defined = DefineSequence(connection, counted);
        const auto listed = DefineSequence(connection, list, serials);
        const auto formatted = DefineSequence(connection, format);
        bool ready = true;
        for (const Result<bool, LedgerError>* step : {&init, &defined, &listed, &formatted}) {
            if (!*step) {
                std::printf("   FAILED: %s\n", step->Err().message.c_str());
                ready = false;
                break;
            }
        }
        if (!ready) {
            failed = true;
            continue;
        }
        for (const SequenceDefinition* measured : {&counted, &list, &format}) {
            const char* what = SchemeWord(measured->scheme);
            failed = !Measure(connection, measured->name, what, 1, chips) || failed;
            failed = !Measure(connection, measured->name, what, 3, chips) || failed;
        }
        for (int stations : {3, 16}) {
            failed = !Measure(connection, counted.name, "no lease", stations, chips) || failed;
            failed =
                !Measure(connection, counted.name, "leases", stations, chips, kLease) || failed;
        }
        if (chips + kWarmUpChips <= kLongLease) {
            failed =
                !Measure(connection, counted.name, "lease1000", 16, chips, kLongLease) || failed;
        }
    }
    return failed ? 1 : 0;
}
