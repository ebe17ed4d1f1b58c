#include <algorithm>
#include <atomic>
#include <list>
#include <thread>

#include "batch_run.h"
#include "commands.h"
#include "console_break.h"
#include "console_output.h"
#include "exit_codes.h"
#include "identity_options.h"
#include "identity_text.h"
#include "lock_consent.h"
#include "port_discovery.h"
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

// The sequence from --serial-from, moved past every serial of it the log has used.
std::optional<SerialSequence> ResumeSerials(const CommandLine& line, const BatchLog& log) {
    std::optional<SerialSequence> serials = SerialSequence::From(line.serialFrom);
    std::optional<uint64_t> highest;
    std::string highestSerial;
    for (const std::string& used : log.UsedSerials()) {
        std::optional<uint64_t> position = serials->PositionOf(used);
        if (position && (!highest || *position > *highest)) {
            highest = position;
            highestSerial = used;
        }
    }
    if (!highest || serials->PositionOf(line.serialFrom) > highest) {
        return serials;
    }
    if (!serials->SkipPast(*highest)) {
        WriteRefusal(line.json, "the log " + line.log + " has used " + highestSerial +
                                    ": no serial of this sequence is left");
        return std::nullopt;
    }
    WriteLine(Stream::Err, "zq61prog: resuming after " + highestSerial +
                               ", the highest serial the log has used: next is " +
                               serials->Current());
    return serials;
}

}  // namespace

int RunBatch(const CommandLine& line) {
    BatchSettings settings;
    settings.identity = IdentityOf(line);
    settings.count = line.count;
    settings.json = line.json;
    if (line.lock && !line.yes && !InputIsConsole()) {
        WriteRefusal(line.json,
                     "--lock: refused: input is not a console to confirm it on; add --yes");
        return EXIT_BAD_USAGE;
    }
    BatchLog log;
    std::string logError = log.Open(line.log);
    if (!logError.empty()) {
        WriteRefusal(line.json, logError);
        return EXIT_BAD_USAGE;
    }
    std::optional<SerialSequence> serials = ResumeSerials(line, log);
    if (!serials) {
        return EXIT_BAD_USAGE;
    }
    if (line.lock && !line.yes && !AskLockConsent("every chip of this batch", settings.identity)) {
        WriteRefusal(line.json, "--lock: not confirmed; nothing written");
        return EXIT_BAD_USAGE;
    }

    BatchRun run(settings, log, *serials);
    WriteLine(Stream::Err, "zq61prog: batch from " + serials->Current() + ", log " + line.log +
                               ": waiting for chips (Ctrl+C stops)");
    InstallBreakHandler();
    PortWatch watch;
    std::list<Worker> workers;
    // Ports that appeared and wait for their turn: at once, or once their last turn has ended
    // when a board came back that quickly.
    std::vector<std::string> pending;
    auto busy = [&](const std::string& port) {
        for (const Worker& worker : workers) {
            if (worker.port == port && !worker.done) {
                return true;
            }
        }
        return false;
    };
    for (;;) {
        for (const std::string& port : watch.Arrivals()) {
            if (std::find(pending.begin(), pending.end(), port) == pending.end()) {
                pending.push_back(port);
            }
        }
        for (auto it = pending.begin(); it != pending.end() && !run.Stopping();) {
            if (busy(*it)) {
                ++it;
                continue;
            }
            std::string port = *it;
            it = pending.erase(it);
            // Other serial ports come and go too; only the chip's driver's ports are ours.
            if (!ProbePort(port.c_str())) {
                continue;
            }
            Worker& worker = workers.emplace_back();
            worker.port = port;
            worker.thread = std::thread([&run, &worker] {
                run.ProgramChip(worker.port);
                worker.done = true;
            });
        }
        // Turns that ended are joined as the batch goes, so a long shift holds no dead threads.
        for (auto it = workers.begin(); it != workers.end();) {
            if (it->done) {
                it->thread.join();
                it = workers.erase(it);
            } else {
                ++it;
            }
        }
        if (BreakRequested()) {
            run.Stop("stopping: the chips in progress finish first", EXIT_INTERRUPTED);
        }
        if (run.Stopping()) {
            break;
        }
        watch.Wait(run.StopEvent(), kPollMs);
    }
    for (Worker& worker : workers) {
        worker.thread.join();
    }
    run.ReportSummary();
    return run.ExitCode();
}
