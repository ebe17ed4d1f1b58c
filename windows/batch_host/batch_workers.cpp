#include "batch_workers.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <list>
#include <thread>

#include "driver_chip_opener.h"
#include "exit_codes.h"
#include "port_discovery.h"
#include "port_name.h"
#include "port_watch.h"

namespace {

// Arrivals are looked for at least this often, notification or not.
constexpr DWORD kPollMs = 100;

// One chip port's turn on a thread of its own; the list keeps it in place until joined.
struct Worker {
    std::string port;
    std::atomic<bool> done{false};
    std::thread thread;
};

// A chip's turn, on its worker. The batch ends a chip whose turn fails as failed, on record; this
// is the last guard behind it: a throw that escapes the turn anyway (from the failure's own
// record or its news) would otherwise end the whole program in the middle of other chips'
// writes. The batch stops instead, as for any fault: the chips in progress finish.
void RunTurn(const ChipTurns& turns, ChipOpener& opener, const std::string& port) {
    std::string what;
    try {
        turns.turn(port, opener);
        return;
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
        what = "an unknown exception";
    }
    try {
        turns.stop("internal error on " + port + " (" + what + "): the batch stops", EXIT_FAILED);
    } catch (...) {
        // The batch is stopping already: it is marked so before its news is told.
    }
}

}  // namespace

void RunBatchWorkers(Batch& batch, HANDLE wake, const std::function<bool()>& stopAsked,
                     const PortEvents& events) {
    ChipTurns turns;
    turns.stopping = [&batch] { return batch.Stopping(); };
    turns.takes = [&batch](const std::string& port) { return batch.Takes(port); };
    turns.turn = [&batch](const std::string& port, ChipOpener& opener) {
        batch.ProgramChip(port, opener);
    };
    turns.stop = [&batch](const std::string& reason, int exitCode) {
        batch.Stop(reason, exitCode);
    };
    RunChipWorkers(turns, wake, stopAsked, events);
}

namespace {

// Turns that ended are joined as the batch goes, so a long shift holds no dead threads.
void JoinEnded(std::list<Worker>& workers) {
    for (auto it = workers.begin(); it != workers.end();) {
        if (it->done) {
            it->thread.join();
            it = workers.erase(it);
        } else {
            ++it;
        }
    }
}

// Watches the ports and starts a worker for each chip port that appears, until the batch stops.
// The workers stay in the caller's list, so that they are joined whatever ends the watch.
void WatchAndStart(const ChipTurns& turns, HANDLE wake, const std::function<bool()>& stopAsked,
                   const PortEvents& events, ChipOpener& opener, std::list<Worker>& workers) {
    PortWatch watch;
    // Ports that appeared and wait for their turn: at once, or once their last turn has ended
    // when a board came back that quickly.
    std::vector<std::string> pending;
    auto busy = [&](const std::string& port) {
        return std::any_of(workers.begin(), workers.end(), [&](const Worker& worker) {
            return SamePort(worker.port, port) && !worker.done;
        });
    };
    while (!turns.stopping()) {
        PortWatch::Changes changes = watch.Look();
        for (const std::string& port : changes.arrivals) {
            if (!HasPort(pending, port)) {
                pending.push_back(port);
            }
        }
        if (events.portLeft) {
            for (const std::string& port : changes.removals) {
                events.portLeft(port);
            }
        }
        for (auto it = pending.begin(); it != pending.end() && !turns.stopping();) {
            if (busy(*it)) {
                ++it;
                continue;
            }
            std::string port = *it;
            it = pending.erase(it);
            // Other serial ports come and go too; only the chip's driver's ports are ours, and
            // of those only the batch's.
            if (!turns.takes(port) || !ProbePort(port.c_str())) {
                continue;
            }
            if (events.chipPort) {
                events.chipPort(port, watch.Map());
            }
            Worker& worker = workers.emplace_back();
            worker.port = port;
            worker.thread = std::thread([&turns, &opener, &worker] {
                RunTurn(turns, opener, worker.port);
                worker.done = true;
            });
        }
        JoinEnded(workers);
        if (stopAsked()) {
            turns.stop("stopping: the chips in progress finish first", EXIT_INTERRUPTED);
            break;
        }
        watch.Wait(wake, kPollMs);
    }
}

// What a fault outside any chip's turn (a worker's thread that cannot start, memory running out)
// says when it stops the batch: the turns in progress still finish, then the workers return.
void StopForFault(const ChipTurns& turns, const std::string& what) {
    try {
        turns.stop("internal error outside a chip's turn (" + what +
                       "): the batch stops; chips in progress finish first",
                   EXIT_FAILED);
    } catch (...) {
        // The batch is stopping already: it is marked so before its news is told.
    }
}

}  // namespace

void RunChipWorkers(const ChipTurns& turns, HANDLE wake, const std::function<bool()>& stopAsked,
                    const PortEvents& events) {
    // The opener before the workers: every worker uses it until it is joined.
    DriverChipOpener opener;
    std::list<Worker> workers;
    try {
        WatchAndStart(turns, wake, stopAsked, events, opener, workers);
    } catch (const std::exception& error) {
        StopForFault(turns, error.what());
    } catch (...) {
        StopForFault(turns, "an unknown exception");
    }
    for (Worker& worker : workers) {
        // A worker whose thread never started has nothing to join.
        if (worker.thread.joinable()) {
            worker.thread.join();
        }
    }
}
