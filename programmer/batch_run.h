// What the workers of a batch share: the serial allocator, the log, the counts and the word to
// stop. Everything else of a chip stays with its worker.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "batch_log.h"
#include "chip_identity.h"
#include "serial_sequence.h"

struct BatchSettings {
    ChipIdentity identity;  // the serial is each chip's own
    int count = 0;          // stop after this many verified chips; 0: no limit
    bool json = false;
};

class BatchRun {
public:
    BatchRun(const BatchSettings& settings, BatchLog& log, SerialSequence serials);

    // One chip port's whole turn: read, decide, take a serial, write, verify, log, report.
    void ProgramChip(const std::string& port);

    // Stops the batch: no new chip starts; set once, the first reason is kept.
    void Stop(const std::string& reason, int exitCode);
    // Signalled when the batch stops.
    HANDLE StopEvent() const { return stopEvent_; }
    bool Stopping();

    // The summary line or object, and the exit code.
    void ReportSummary();
    int ExitCode();

private:
    struct Chip;
    // Waits until the chip may be written and gives it the next serial; empty when the batch
    // stops first or the serials run out.
    std::optional<std::string> TakeSerial();
    void Finish(Chip& chip, bool wrote, bool verified);
    void Report(const Chip& chip);

    const BatchSettings settings_;
    BatchLog& log_;
    HANDLE stopEvent_;

    std::mutex lock_;
    std::condition_variable changed_;
    SerialSequence serials_;
    bool serialsLeft_ = true;
    int verified_ = 0;
    int writing_ = 0;
    bool anyUnverified_ = false;
    bool stopping_ = false;
    int stopExitCode_ = 0;
    std::map<std::string, int> outcomes_;
};
