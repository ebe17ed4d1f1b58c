// `ledger report --by hour` over a sequence of a million records on loopback servers: the
// records made by SQL (500,000 boards over four stations and 29 days, each a `started` and an
// outcome, a few of them failures), then the report's reads as the command makes them: the
// sequence's totals, the periods, failures, labels to reprint, serials never verified. Prints
// the best and the median of `runs` for every server named in the environment (ZQ_TEST_PG,
// ZQ_TEST_MARIADB: scripts/db-servers.sh exports them).
//   report_bench [boards] [runs]     default 500000 and 3
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "ledger_questions.h"
#include "odbc_session.h"

namespace {

constexpr double kTargetSeconds = 2.0;

// The numbers 0 to boards-1 as rows of `n`, in the engine's own words.
std::string Numbers(odbc::Engine engine, long boards) {
    if (engine == odbc::Engine::MariaDb) {
        return "(SELECT seq AS n FROM seq_0_to_" + std::to_string(boards - 1) + ") numbers";
    }
    return "(SELECT generate_series(0, " + std::to_string(boards - 1) + ") AS n) numbers";
}

// The SQL of a serial, a station and a time from n, per engine.
struct Spelling {
    std::string serial, station, at, outcome;
};

Spelling SpellingOf(odbc::Engine engine, const std::string& seconds) {
    if (engine == odbc::Engine::MariaDb) {
        const std::string ts = "TIMESTAMPADD(SECOND, " + seconds + ", '2026-11-01 06:00:00')";
        return {"CONCAT('RB', LPAD(n, 6, '0'))", "CONCAT('st-', n % 4)", ts,
                "DATE_FORMAT(" + ts + ", '%Y-%m-%dT%H:%i:%s.000Z')"};
    }
    const std::string ts =
        "(TIMESTAMP '2026-11-01 06:00:00' + (" + seconds + ") * INTERVAL '1 second')";
    return {"'RB' || LPAD(n::text, 6, '0')", "'st-' || (n % 4)", ts,
            "to_char(" + ts + ", 'YYYY-MM-DD\"T\"HH24:MI:SS.000\"Z\"')"};
}

bool Run(odbc::Session& session, const std::string& sql) {
    const odbc::Answer answer = session.Run(sql);
    if (!answer) {
        std::printf("   FAILED: %s\n      %s\n", answer.Err().message.c_str(), sql.c_str());
        return false;
    }
    return session.Commit().Ok();
}

// The sequence's serials and records, made by SQL in a few statements.
bool MakeRecords(odbc::Session& session, const std::string& sequence, const std::string& pid,
                 long boards) {
    const odbc::Engine engine = session.DatabaseEngine();
    const Spelling board = SpellingOf(engine, "n * 5");
    const Spelling outcome = SpellingOf(engine, "n * 5 + 1");
    const std::string numbers = Numbers(engine, boards);
    const std::string word =
        "CASE WHEN n % 50 = 7 THEN 'failed' WHEN n % 200 = 9 THEN 'unverified' ELSE 'verified' END";
    return Run(session,
               "INSERT INTO zq_sequences (name, first_serial, vid, pid, product, locks, "
               "next_position, defined_at) VALUES ('" +
                   sequence + "', 'RB000000', '2E1B', '" + pid + "', 'bench', 0, " +
                   std::to_string(boards) + ", '2026-11-01T06:00:00.000Z')") &&
           Run(session,
               "INSERT INTO zq_serials (sequence_name, serial, serial_position, vid, pid, "
               "station, taken_at, taken_ts) SELECT '" +
                   sequence + "', " + board.serial + ", n, '2E1B', '" + pid + "', " +
                   board.station + ", " + board.outcome + ", " + board.at + " FROM " + numbers) &&
           Run(session,
               "INSERT INTO zq_records (record_key, sequence_name, recorded_at, station, "
               "port, serial, vid, pid, product, locked, outcome, status_text, job, "
               "recorded_ts) SELECT CONCAT('" +
                   sequence + "-s', n), '" + sequence + "', " + board.outcome + ", " +
                   board.station + ", 'COM21', " + board.serial + ", '2E1B', '" + pid +
                   "', 'bench', 0, 'started', '', '', " + board.at + " FROM " + numbers) &&
           Run(session,
               "INSERT INTO zq_records (record_key, sequence_name, recorded_at, station, "
               "port, serial, vid, pid, product, locked, outcome, status_text, job, "
               "recorded_ts) SELECT CONCAT('" +
                   sequence + "-o', n), '" + sequence + "', " + outcome.outcome + ", " +
                   board.station + ", 'COM21', " + board.serial + ", '2E1B', '" + pid +
                   "', 'bench', 0, " + word +
                   ", CASE WHEN n % 50 = 7 THEN 'write failed' ELSE '' END, '', " + outcome.at +
                   " FROM " + numbers) &&
           Run(session, engine == odbc::Engine::MariaDb ? "ANALYZE TABLE zq_records, zq_serials"
                                                        : "ANALYZE zq_records");
}

// A line's server has long vacuumed the records a report reads (autovacuum follows inserts),
// so that PostgreSQL reads its indexes alone: the bench waits for it, at most three minutes.
void AwaitVacuum(odbc::Session& session) {
    for (int wait = 0; wait < 180 && session.DatabaseEngine() == odbc::Engine::PostgreSql; wait++) {
        const odbc::Answer left = session.Run(
            "SELECT n_ins_since_vacuum FROM pg_stat_user_tables WHERE relname = 'zq_records'");
        session.Rollback();
        if (!left || left->rows.empty() || left->rows[0].at(0).value_or("1") == "0") {
            return;
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}

double Seconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

}  // namespace

int main(int argc, char** argv) {
    const long boards = argc > 1 ? std::atol(argv[1]) : 500000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    if (boards < 1 || runs < 1) {
        std::fprintf(stderr, "usage: report_bench [boards] [runs]\n");
        return 2;
    }
    std::printf(
        "11. ledger report --by hour over %ld records (%ld boards, 4 stations, 29 days, "
        "made by SQL), best and median of %d; target <= %.0f s\n",
        boards * 2, boards, runs, kTargetSeconds);
    int status = 0;
    for (const auto& [name, variable] :
         {std::pair{"PostgreSQL", "ZQ_TEST_PG"}, std::pair{"MariaDB", "ZQ_TEST_MARIADB"}}) {
        const char* connection = std::getenv(variable);
        if (connection == nullptr || *connection == '\0') {
            std::printf("   %-10s FAILED: %s is not set\n", name, variable);
            status = 1;
            continue;
        }
        const std::string sequence =
            "report-bench-" + std::to_string(std::chrono::system_clock::now().time_since_epoch() /
                                             std::chrono::seconds(1));
        // A PID of its own: a serial is unique per VID and PID across sequences.
        char pid[8];
        std::snprintf(
            pid, sizeof pid, "%04X",
            static_cast<unsigned>(1 + std::chrono::system_clock::now().time_since_epoch() /
                                          std::chrono::seconds(1) % 0xFFFD));
        odbc::Session session;
        const auto start = std::chrono::steady_clock::now();
        if (!InitLedger(connection) || !session.Connect(connection, 10, {3, 600, 60}) ||
            !MakeRecords(session, sequence, pid, boards)) {
            std::printf("   %-10s FAILED: the records could not be made\n", name);
            status = 1;
            continue;
        }
        const double made = Seconds(std::chrono::steady_clock::now() - start);
        AwaitVacuum(session);
        std::vector<double> times;
        size_t periods = 0;
        for (int run = 0; run < runs; run++) {
            const auto begin = std::chrono::steady_clock::now();
            // As the command reads it: the totals, the periods, failures, labels to reprint and
            // the serials never verified.
            const auto report = ReportSequence(connection, sequence, ReportPeriod::Hour, {});
            const double took = Seconds(std::chrono::steady_clock::now() - begin);
            if (!report) {
                std::printf("   %-10s FAILED: %s\n", name, report.Err().message.c_str());
                status = 1;
                break;
            }
            periods = report->periods.periods.size();
            times.push_back(took);
        }
        if (times.size() < static_cast<size_t>(runs)) {
            continue;
        }
        std::sort(times.begin(), times.end());
        const double best = times.front(), median = times[times.size() / 2];
        std::printf(
            "   %-10s %6.2f s, median %.2f s  (%zu station-hours; records made in %.0f s)   %s\n",
            name, best, median, periods, made, best <= kTargetSeconds ? "ok" : "MISSED");
    }
    return status;
}
