// zq61station against zq61prog batch: a board's arrival to its PASS tile over the same board's
// arrival to its logged outcome, boards plugged one by one through the stand-in driver. Prints
// group 9 of scripts/benchmark.sh.
// Usage: station_bench <zq61station.exe> <zq61prog.exe> <runs>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "app_session.h"
#include "bench_process.h"
#include "remote_controls.h"
#include "sim_control_client.h"
#include "station_ids.h"

namespace {

constexpr const char* kPort = ZQSIM_DEFAULT_CHIP_A;
constexpr unsigned kFrameMicros = 1000;
constexpr double kTarget = 1.1;
constexpr DWORD kOutcomeTimeoutMs = 10000;
constexpr int kBoardsPerRound = 3;

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

// Polls back to back, a millisecond apart, so that either program's time is at most one poll
// late; false when the condition does not come within the time.
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    double deadline = NowMicros() + timeoutMs * 1000.0;
    while (!condition()) {
        if (NowMicros() > deadline) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

int LoggedOutcomes(const std::string& log) {
    std::ifstream file(log, std::ios::binary);
    int count = -1;  // the header
    for (std::string line; std::getline(file, line);) {
        count += line.find(",started,") == std::string::npos ? 1 : 0;
    }
    return std::max(count, 0);
}

// The port's tile's controls, found once the tile is there; one message a poll after that, so
// the polling takes as little from the station as reading the log takes from zq61prog.
class Tile {
public:
    explicit Tile(HWND station) : station_(station) {}
    // "" while the port has no tile.
    std::wstring Text(int id) {
        if (tile_ == nullptr) {
            tile_ = FindWindowExW(GetDlgItem(station_, IDC_TILE_AREA), nullptr, STATION_TILE_CLASS,
                                  L"COM21");
        }
        return tile_ != nullptr ? TextOf(GetDlgItem(tile_, id)) : L"";
    }

private:
    HWND station_;
    HWND tile_ = nullptr;
};

// A blank board on the port, unplugged.
bool Unplug(SimControl& sim) {
    return sim.Remove(kPort) && sim.Fill(kPort, 0xFF) && sim.SetDelay(kPort, kFrameMicros) &&
           sim.Clear(kPort);
}

struct Timings {
    std::vector<double> micros;  // each board's plug to its outcome
    std::vector<double> served;  // the driver's time serving that board's frames
};

// Boards plugged one by one: microseconds from each plug to what `arrived` waits for. The first
// board warms up the program and is not counted.
bool Arrivals(SimControl& sim, const std::function<bool(int)>& arrived,
              const std::function<bool()>& unplugged, Timings& timings) {
    for (int i = 0; i <= kBoardsPerRound; i++) {
        if (!Unplug(sim) || !PollUntil(unplugged, kOutcomeTimeoutMs)) {
            return false;
        }
        Sleep(100);
        double plugged = NowMicros();
        sim.Restore(kPort);
        if (!PollUntil([&] { return arrived(i); }, kOutcomeTimeoutMs)) {
            return false;
        }
        if (i > 0) {
            timings.micros.push_back(NowMicros() - plugged);
            timings.served.push_back(static_cast<double>(sim.Counters(kPort).serveMicros));
        }
    }
    return true;
}

bool ProgBoards(SimControl& sim, const std::string& exe, Timings& timings) {
    std::string log = TempPath("zq61station-bench-prog.csv");
    Unplug(sim);
    BenchProcess batch(exe, "batch " + NewLogBatch(log, kBoardsPerRound + 2));
    Sleep(500);  // up and watching the port map
    return batch.Started() && Arrivals(
                                  sim, [&](int i) { return LoggedOutcomes(log) >= i + 1; },
                                  [] { return true; }, timings);
}

bool StationBoards(SimControl& sim, const std::string& exe, Timings& timings) {
    std::string log = TempPath("zq61station-bench.csv");
    Unplug(sim);
    // In English, whatever the machine's language: the tiles are read for their English words.
    BenchProcess window(exe, NewLogBatch(log, kBoardsPerRound + 2) + " --lang en");
    HWND station = nullptr;
    PollUntil(
        [&] {
            return (station = FindProcessWindow(window.ProcessId(), STATION_WINDOW_CLASS)) !=
                   nullptr;
        },
        10000);
    Sleep(300);  // its batch up and watching the port map
    // A tile shows PASS for its board until the board is unplugged, so the next board's time
    // starts only once its tile waits again.
    Tile tile(station);
    auto passed = [&](int i) {
        if (tile.Text(IDC_TILE_STATE) != L"PASS") {
            return false;
        }
        char serial[16];
        std::snprintf(serial, sizeof(serial), "ZQ%06d", i + 1);
        return tile.Text(IDC_TILE_MAIN) == std::wstring(serial, serial + std::strlen(serial));
    };
    auto waiting = [&] {
        std::wstring state = tile.Text(IDC_TILE_STATE);
        return state.empty() || state == L"WAITING";
    };
    return station != nullptr && Arrivals(sim, passed, waiting, timings);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <zq61station.exe> <zq61prog.exe> <runs>\n", argv[0]);
        return 2;
    }
    std::string stationExe = WindowsPath(argv[1]);
    std::string progExe = WindowsPath(argv[2]);
    int runs = std::max(std::atoi(argv[3]), 1);
    SimControl sim;
    if (!sim.IsOpen() || !sim.Reset(kPort) || !sim.Remove(ZQSIM_DEFAULT_CHIP_B)) {
        std::fprintf(stderr, "no stand-in driver\n");
        return 1;
    }
    std::printf(
        "9. zq61station: a board's arrival to its PASS tile over the same board's arrival to its "
        "logged outcome in zq61prog batch, %u us per frame, boards one by one, %d rounds of "
        "%d boards each\n",
        kFrameMicros, runs, kBoardsPerRound);

    // The two programs take turns, a few boards each, so that whatever else the machine does
    // meanwhile falls on both alike.
    Timings prog, station;
    bool measured = true;
    for (int round = 0; round < runs && measured; round++) {
        measured = ProgBoards(sim, progExe, prog) && StationBoards(sim, stationExe, station);
    }
    sim.Reset(kPort);
    sim.Reset(ZQSIM_DEFAULT_CHIP_B);
    if (!measured) {
        std::printf("   FAILED: the boards did not all reach their outcome\n");
        return 1;
    }
    double ratio = Median(station.micros) / Median(prog.micros);
    std::printf(
        "   zq61prog batch: arrival to the logged outcome  %7.1f ms (median of %zu boards; the "
        "driver served the frames for %.1f ms of it)\n",
        Median(prog.micros) / 1000, prog.micros.size(), Median(prog.served) / 1000);
    std::printf(
        "   zq61station:    arrival to the PASS tile       %7.1f ms (median of %zu boards; the "
        "driver served the frames for %.1f ms of it)\n",
        Median(station.micros) / 1000, station.micros.size(), Median(station.served) / 1000);
    std::printf("   PASS tile over logged outcome %.3f   target <= %.1f  %s\n", ratio, kTarget,
                ratio <= kTarget ? "ok" : "MISSED");
    return 0;
}
