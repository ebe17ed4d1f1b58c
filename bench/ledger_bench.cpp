// The SQL ledger's time per chip on loopback servers: a serial's allocation commit (TakeSerial)
// plus its outcome's commit (Record), with one station and with three stations at once on the
// same sequence, each station a connection of its own on a thread of its own, for a counted
// sequence, a list sequence and a weekly format sequence; then 3 and 16 stations on a counted
// sequence, without and with serials leased ahead, at a line's rate and flat out. With leases
// each station keeps a journal on disk, as a leasing station does: a board waits for its records'
// lines on disk (fsync), and the ledger's sender writes them to the database meanwhile; flat out,
// the takes per second count until the last record is in the database; and 16 stations with
// leases no station runs out of. Prints the median and the 99th percentile for every server
// named in the environment (ZQ_TEST_PG, ZQ_TEST_MARIADB: scripts/db-servers.sh exports them).
//   ledger_bench [chips per station]     default 300
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
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
// A station at a line's rate: a board every 40 ms, 25 a second, 400 for 16 stations. At the
// chip's 300 baud a 4-byte request frame alone is 133 ms on the wire and a chip's write and read
// back take dozens of them, so even a station of many sockets starts boards far more slowly.
// Flat out, 16 stations' threads, their senders and the server share this machine's 2 cores and
// disk, and a board's time is mostly its wait for them (the journals' flushes alone are printed
// first): that run measures what the sequence sustains, not what a line's board waits.
constexpr std::chrono::milliseconds kLinePace{40};

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

// How boards come to a station: one after another as fast as the ledger lets them (the line's
// throughput), or one every `every` (what a board waits for the ledger on a line running at a
// rate a line can reach), the first after `first`.
struct Pace {
    std::chrono::milliseconds every{0};
    std::chrono::microseconds first{0};
};

// One station's chips, each timed from the take to the recorded outcome; empty on a failure.
Samples RunStation(SqlLedger& ledger, int chips, std::string& error, Pace pace = {}) {
    Samples millis;
    auto next = Clock::now() + pace.first;
    LedgerEntry chip;
    chip.port = "COM21";
    chip.vid = ledger.Sequence().vid;
    chip.pid = ledger.Sequence().pid;
    chip.product = ledger.Sequence().product;
    for (int i = 0; i < chips; i++) {
        if (pace.every.count() > 0) {
            std::this_thread::sleep_until(next);
            next += pace.every;
        }
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
             int stations, int chips, int lease = 0, Pace pace = {}) {
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
        // Paced stations start spread over one interval, as a line's stations do, not in step.
        Pace own = pace;
        own.first =
            std::chrono::duration_cast<std::chrono::microseconds>(pace.every) * s / stations;
        threads.emplace_back(
            [&, s, own] { samples[s] = RunStation(*ledgers[s], chips, errors[s], own); });
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
    if (pace.every.count() > 0) {
        const bool judged = lease > 0 && stations == 16;
        std::printf("     %-9s %2d stations  median %5.2f ms   p99 %6.2f ms%s\n", what, stations,
                    median, p99,
                    !judged                     ? ""
                    : p99 <= kLeaseTargetMillis ? "   target p99 <= 2 ms  ok"
                                                : "   target p99 <= 2 ms  MISSED");
        return true;
    }
    if (std::string(what).find("lease") != std::string::npos) {
        // The sequence's takes per second: every chip took one serial from it.
        std::printf(
            "     %-9s %2d stations  median %5.2f ms   p99 %6.2f ms   %5.0f takes/s "
            "sustained\n",
            what, stations, median, p99, static_cast<double>(all.size()) / seconds);
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

// A journal line's cost on this disk: written and fsync'ed, as each board's two records are; by
// one station, and by 16 at once, each to its own file, with no database: the floor under a
// leasing board's time when 16 stations run flat out on this machine.
void MeasureFlush(int stations) {
    constexpr int kLines = 300;
    const std::filesystem::path folder = JournalFolder();
    std::vector<std::vector<double>> millis(stations);
    std::vector<std::thread> threads;
    for (int s = 0; s < stations; s++) {
        threads.emplace_back([&, s] {
            SyncedFile file((folder / (std::to_string(s) + ".journal")).string());
            const std::string line(200, 'x');
            for (int i = 0; i < kLines && file.IsOpen(); i++) {
                const auto start = Clock::now();
                if (!file.Append(line + "\n")) {
                    break;
                }
                millis[s].push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::vector<double> all;
    for (const std::vector<double>& lines : millis) {
        if (lines.size() < kLines) {
            std::printf("   journal line on disk: FAILED in %s\n", folder.c_str());
            return;
        }
        all.insert(all.end(), lines.begin(), lines.end());
    }
    std::printf(
        "   journal line on disk (write + fsync), %2d station%s at once: median %5.2f ms   p99 "
        "%6.2f ms\n",
        stations, stations == 1 ? " " : "s", Percentile(all, 0.5), Percentile(all, 0.99));
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

// A server's sequences for the run: a counted one, a list and a weekly format, each of its own.
struct Sequences {
    SequenceDefinition counted, list, format;
};

std::optional<Sequences> DefineSequences(const char* connection, int chips) {
    const auto init = InitLedger(connection);
    const auto now = std::chrono::system_clock::now().time_since_epoch().count();
    const std::string sequence = "bench-" + std::to_string(now);
    // A PID of its own: a serial is unique per VID and PID, and every run counts from
    // LB000001; a run over an earlier run's serials would time the skipping of them.
    char pid[8];
    std::snprintf(pid, sizeof pid, "%04X", static_cast<unsigned>(1 + now / 1000 % 0xFFFD));
    Sequences defined;
    defined.counted = {sequence, "LB000001", "2E1B", pid, "usb2.0 serial", false};
    // Enough serials for every station's warm-up and chips, in the list and in the week.
    defined.list = defined.counted;
    defined.list.name += "-list";
    defined.list.scheme = SequenceScheme::List;
    std::vector<std::string> serials;
    for (int i = 0; i < 4 * (kWarmUpChips + chips); i++) {  // 1 + 3 stations
        serials.push_back("LL" + std::to_string(100000 + i));
    }
    defined.format = defined.counted;
    defined.format.name += "-week";
    defined.format.scheme = SequenceScheme::Format;
    defined.format.serialFormat = "{YY}{WW}{Z:4}";
    const auto counted = DefineSequence(connection, defined.counted);
    const auto listed = DefineSequence(connection, defined.list, serials);
    const auto formatted = DefineSequence(connection, defined.format);
    for (const Result<bool, LedgerError>* step : {&init, &counted, &listed, &formatted}) {
        if (!*step) {
            std::printf("   FAILED: %s\n", step->Err().message.c_str());
            return std::nullopt;
        }
    }
    return defined;
}

// Each scheme with one station and three.
bool MeasureSchemes(const char* connection, const Sequences& sequences, int chips) {
    bool failed = false;
    for (const SequenceDefinition* measured :
         {&sequences.counted, &sequences.list, &sequences.format}) {
        const char* what = SchemeWord(measured->scheme);
        failed = !Measure(connection, measured->name, what, 1, chips) || failed;
        failed = !Measure(connection, measured->name, what, 3, chips) || failed;
    }
    return !failed;
}

// 3 and 16 stations on the counted sequence at a line's rate, without and with leases.
bool MeasureAtLineRate(const char* connection, const Sequences& sequences, int chips) {
    bool failed = false;
    std::printf(
        "     at a line's rate: each station a board every %lld ms (%lld a second, more than a "
        "station's sockets program)\n",
        static_cast<long long>(kLinePace.count()),
        static_cast<long long>(1000 / kLinePace.count()));
    for (int stations : {3, 16}) {
        for (int lease : {0, kLease}) {
            failed = !Measure(connection, sequences.counted.name, lease > 0 ? "leases" : "no lease",
                              stations, chips, lease, Pace{kLinePace, {}}) ||
                     failed;
        }
    }
    return !failed;
}

// Every station's boards one after another: the sequence's takes per second.
bool MeasureFlatOut(const char* connection, const Sequences& sequences, int chips) {
    bool failed = false;
    const std::string& counted = sequences.counted.name;
    for (int stations : {3, 16}) {
        failed = !Measure(connection, counted, "no lease", stations, chips) || failed;
        failed = !Measure(connection, counted, "leases", stations, chips, kLease) || failed;
    }
    if (chips + kWarmUpChips <= kLongLease) {
        failed = !Measure(connection, counted, "lease1000", 16, chips, kLongLease) || failed;
    }
    return !failed;
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
    MeasureFlush(1);
    MeasureFlush(16);
    const struct {
        const char* name;
        const char* variable;
    } servers[] = {{"PostgreSQL", "ZQ_TEST_PG"}, {"MariaDB", "ZQ_TEST_MARIADB"}};
    bool failed = false;
    std::vector<std::pair<size_t, Sequences>> ready;
    for (size_t i = 0; i < std::size(servers); i++) {
        const char* connection = std::getenv(servers[i].variable);
        if (connection == nullptr || *connection == '\0') {
            std::printf("   %s: FAILED: %s is not set\n", servers[i].name, servers[i].variable);
            failed = true;
            continue;
        }
        std::printf("   %s\n", servers[i].name);
        std::optional<Sequences> sequences = DefineSequences(connection, chips);
        if (!sequences) {
            failed = true;
            continue;
        }
        failed = !MeasureSchemes(connection, *sequences, chips) || failed;
        failed = !MeasureAtLineRate(connection, *sequences, chips) || failed;
        ready.emplace_back(i, std::move(*sequences));
    }
    // After every server's runs at a line's rate: a server flushes a flat-out run's writes for a
    // while after it, which would show in the next server's figures.
    std::printf(
        "   flat out: every station's boards one after another, the machine's cores and disk the "
        "limit\n");
    for (const auto& [i, sequences] : ready) {
        std::printf("   %s\n", servers[i].name);
        failed = !MeasureFlatOut(std::getenv(servers[i].variable), sequences, chips) || failed;
    }
    return failed ? 1 : 0;
}
