#include <list>
#include <memory>
#include <set>
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

struct Worker {
    std::string port;
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done = std::make_shared<std::atomic<bool>>(false);
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
    BreakEvent();
    PortWatch watch;
    std::list<Worker> workers;
    std::set<std::string> waiting;  // came back while their last turn still ran
    for (;;) {
        std::vector<std::string> arrivals = watch.Arrivals();
        for (auto it = waiting.begin(); it != waiting.end();) {
            bool busy = false;
            for (const Worker& worker : workers) {
                busy = busy || (worker.port == *it && !*worker.done);
            }
            if (busy) {
                ++it;
                continue;
            }
            arrivals.push_back(*it);
            it = waiting.erase(it);
        }
        for (const std::string& port : arrivals) {
            if (run.Stopping()) {
                break;
            }
            bool busy = false;
            for (const Worker& worker : workers) {
                busy = busy || (worker.port == port && !*worker.done);
            }
            if (busy) {
                waiting.insert(port);
                continue;
            }
            // Other serial ports come and go too; only the chip's driver's ports are ours.
            if (!ProbePort(port.c_str())) {
                continue;
            }
            Worker& worker = workers.emplace_back();
            worker.port = port;
            std::shared_ptr<std::atomic<bool>> done = worker.done;
            worker.thread = std::thread([&run, port, done] {
                run.ProgramChip(port);
                *done = true;
            });
        }
        // Turns that ended are joined as the batch goes, so a long shift holds no dead threads.
        for (auto it = workers.begin(); it != workers.end();) {
            if (*it->done) {
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
