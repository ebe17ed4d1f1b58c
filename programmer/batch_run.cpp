#include "batch_run.h"

#include <chrono>
#include <cstdio>

#include "config_jobs.h"
#include "console_output.h"
#include "exit_codes.h"
#include "handle_port.h"
#include "identity_text.h"
#include "json_line.h"
#include "outcome_words.h"
#include "port_choice.h"
#include "serial_port.h"
#include "string_descriptor.h"
#include "utf_text.h"

namespace {

const char* const kOutcomeWords[] = {
    "verified",       "unverified",        "locked", "failed", "read-failed",
    "skipped-locked", "skipped-programmed"};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool HoldsProduct(const ConfigRecord& record, const std::u16string& product) {
    if (!record.productPresent || DescriptorUnitCount(record) != static_cast<int>(product.size())) {
        return false;
    }
    for (size_t i = 0; i < product.size(); i++) {
        if (DescriptorUnit(record, static_cast<int>(i)) != product[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

struct BatchRun::Chip {
    std::string port;
    std::string serial;  // "" until one is taken
    std::string outcome;
    std::string status;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

BatchRun::BatchRun(const BatchSettings& settings, BatchLog& log, SerialSequence serials)
    : settings_(settings),
      log_(log),
      stopEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      serials_(std::move(serials)) {}

void BatchRun::Stop(const std::string& reason, int exitCode) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (stopping_) {
            return;
        }
        stopping_ = true;
        stopExitCode_ = exitCode;
    }
    changed_.notify_all();
    SetEvent(stopEvent_);
    if (!reason.empty()) {
        WriteLine(Stream::Err, "zq61prog: " + reason);
    }
}

bool BatchRun::Stopping() {
    std::lock_guard<std::mutex> hold(lock_);
    return stopping_;
}

std::optional<std::string> BatchRun::TakeSerial() {
    std::unique_lock<std::mutex> hold(lock_);
    // With --count, no more chips are written at once than could still be needed: a chip waits
    // while the writes in flight might complete the batch.
    changed_.wait(hold, [&] {
        return stopping_ || settings_.count == 0 || verified_ + writing_ < settings_.count;
    });
    if (stopping_) {
        return std::nullopt;
    }
    if (!serialsLeft_) {
        hold.unlock();
        Stop("the serials have run out: no serial follows " + serials_.Current(), EXIT_FAILED);
        return std::nullopt;
    }
    std::string serial = serials_.Current();
    serialsLeft_ = serials_.Advance();
    writing_++;
    return serial;
}

void BatchRun::ProgramChip(const std::string& port) {
    Chip chip;
    chip.port = port;
    LogEntry entry;
    entry.port = port;
    entry.vid = HexId(settings_.identity.vendorId);
    entry.pid = HexId(settings_.identity.productId);
    entry.product = Utf16ToUtf8(*settings_.identity.product).value_or("");
    entry.lock = settings_.identity.lock;

    HANDLE handle = INVALID_HANDLE_VALUE;
    std::string openError = OpenChipPort(port, handle);
    RecordPtr held = NewRecord();
    JobOutcome read = JobOutcome::ReadFailed;
    if (openError.empty()) {
        HandlePort chipPort(handle);
        read = ReadChip(chipPort, *held);
    }
    auto endWithoutWrite = [&](const char* outcome, const std::string& status) {
        ClosePort(handle);
        chip.outcome = outcome;
        chip.status = status;
        entry.outcome = outcome;
        entry.status = status;
        if (!log_.Append(entry)) {
            Stop("cannot write the log: the batch stops", EXIT_BAD_USAGE);
        }
        Finish(chip, false, false);
    };
    if (read != JobOutcome::ReadOk) {
        endWithoutWrite("read-failed", openError.empty() ? StatusText(read) : openError);
        return;
    }
    if (held->writeProtected) {
        endWithoutWrite("skipped-locked", "already write-protected");
        return;
    }
    std::optional<std::string> heldSerial = SerialOf(*held);
    if (held->configured && held->vendorId == settings_.identity.vendorId &&
        held->productId == settings_.identity.productId &&
        HoldsProduct(*held, *settings_.identity.product) && heldSerial &&
        log_.WasVerified(*heldSerial)) {
        entry.serial = *heldSerial;
        endWithoutWrite("skipped-programmed", "already holds " + *heldSerial + ", verified");
        return;
    }

    std::optional<std::string> serial = TakeSerial();
    if (!serial) {
        ClosePort(handle);
        WriteLine(Stream::Err, "zq61prog: " + port + " left as it was: the batch is stopping");
        return;
    }
    chip.serial = *serial;
    entry.serial = *serial;
    // The serial is used from its first frame on, whatever the outcome: its line is on disk
    // before that frame, so no crash or restart can hand it out again.
    entry.outcome = "started";
    if (!log_.Append(entry)) {
        ClosePort(handle);
        Stop("cannot write the log: nothing is programmed unlogged; the batch stops",
             EXIT_BAD_USAGE);
        Finish(chip, false, false);
        return;
    }
    ChipIdentity identity = settings_.identity;
    identity.serial = *serial;
    HandlePort chipPort(handle);
    JobOutcome outcome = WriteAndVerify(chipPort, *BuildRecord(identity));
    ClosePort(handle);

    chip.outcome = OutcomeWord(outcome);
    chip.status = StatusText(outcome);
    entry.outcome = chip.outcome;
    entry.status = chip.status;
    if (!log_.Append(entry)) {
        Stop("cannot write the log: the batch stops", EXIT_BAD_USAGE);
    }
    Finish(chip, true, outcome == JobOutcome::WriteOk);
}

void BatchRun::Finish(Chip& chip, bool wrote, bool verified) {
    bool complete = false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (!chip.serial.empty()) {
            writing_--;
        }
        if (!chip.outcome.empty()) {
            outcomes_[chip.outcome]++;
        }
        verified_ += verified ? 1 : 0;
        anyUnverified_ = anyUnverified_ || (wrote && !verified);
        complete = settings_.count > 0 && verified_ >= settings_.count;
    }
    changed_.notify_all();
    if (!chip.outcome.empty()) {
        Report(chip);
    }
    if (complete) {
        Stop("", EXIT_DONE);
    }
}

void BatchRun::Report(const Chip& chip) {
    double seconds = SecondsSince(chip.start);
    if (settings_.json) {
        WriteJsonLine({{"port", chip.port},
                       {"serial", chip.serial.empty() ? nlohmann::ordered_json(nullptr)
                                                      : nlohmann::ordered_json(chip.serial)},
                       {"outcome", chip.outcome},
                       {"status", chip.status},
                       {"seconds", static_cast<double>(static_cast<long>(seconds * 1000)) / 1000}});
        return;
    }
    char line[160];
    std::snprintf(line, sizeof(line), "%-8s %-10s %-19s %6.2f s  ", chip.port.c_str(),
                  chip.serial.empty() ? "-" : chip.serial.c_str(), chip.outcome.c_str(), seconds);
    WriteLine(Stream::Out, line + chip.status);
}

void BatchRun::ReportSummary() {
    std::lock_guard<std::mutex> hold(lock_);
    if (settings_.json) {
        nlohmann::ordered_json counts = nlohmann::ordered_json::object();
        for (const char* word : kOutcomeWords) {
            counts[word] = outcomes_[word];
        }
        WriteJsonLine({{"summary", counts}});
        return;
    }
    std::string counts;
    for (const char* word : kOutcomeWords) {
        counts += (counts.empty() ? "" : ", ") + std::string(word) + " " +
                  std::to_string(outcomes_[word]);
    }
    std::string line = "summary: " + counts;
    WriteLine(Stream::Out, line);
}

int BatchRun::ExitCode() {
    std::lock_guard<std::mutex> hold(lock_);
    if (stopExitCode_ != EXIT_DONE) {
        return stopExitCode_;
    }
    return anyUnverified_ ? EXIT_FAILED : EXIT_DONE;
}
