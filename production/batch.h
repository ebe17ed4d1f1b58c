// A production batch: one worker per chip port calls ProgramChip, and they share the ledger, the
// --count gate, the counts and the word to stop. Every decision of a chip's turn is made here;
// the program around it only finds ports, runs workers and shows what it is told.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "batch_observer.h"
#include "batch_tally.h"
#include "board_label.h"
#include "chip_identity.h"
#include "chip_opener.h"
#include "count_gate.h"
#include "ledger.h"

struct BatchSettings {
    ChipIdentity identity;           // without a serial: each chip gets its own
    int count = 0;                   // stop after this many verified chips; 0: no limit
    std::string station;             // recorded with every record of a shared ledger
    std::vector<std::string> ports;  // the only chip ports the batch takes; empty: every one
    // How often a batch whose period's serials have run out asks the ledger again.
    std::chrono::milliseconds periodRecheck{1000};
    // Prints a label for each verified board on record; none when the batch prints no labels.
    BoardLabeller* labeller = nullptr;
    std::string job;  // the job file's id, recorded with every record; "" without a job
};

class Batch {
public:
    Batch(const BatchSettings& settings, Ledger& ledger, BatchObserver& observer);

    // True when the port is the batch's to take: other ports are left alone, not even probed,
    // so that two stations can share a machine, or a station's other ports serve other work.
    bool Takes(const std::string& port) const;

    // One chip's whole turn: read it, decide, take a serial, write and verify, record. Never
    // throws: whatever goes wrong ends the chip as failed, recorded.
    void ProgramChip(const std::string& port, ChipOpener& opener);

    // No chip starts after this; chips in progress finish. The first stop's exit code holds,
    // except that a record that could not be written always ends with EXIT_RECORD_FAILED.
    void Stop(const std::string& reason, int exitCode);
    bool Stopping();

    // After the last chip: whatever the ledger kept to record later recorded now, within its
    // bound; a batch whose records are not all on record ends with EXIT_RECORD_FAILED, saying so.
    void FinishRecords();

    BatchTally Tally();
    int ExitCode();
    // After a record could not be written: how far the record reaches, for the last word.
    std::string RecordLossSummary();

private:
    struct Turn;
    std::optional<std::string> TakeSerial(Turn& turn);
    void End(Turn& turn, BatchOutcome outcome, const std::string& status);
    // After the board's outcome record: its label, if one is due, and the label's own record.
    BoardLabel Label(const LedgerEntry& record, bool onRecord);
    void Run(Turn& turn, ChipOpener& opener);

    const BatchSettings settings_;
    Ledger& ledger_;
    BatchObserver& observer_;

    std::mutex mutex_;  // everything below
    std::condition_variable changed_;
    CountGate gate_;
    BatchTally tally_;
    bool stopping_ = false;
    int stopExitCode_ = 0;
    // The serials ran out (for good, or for this period) and none has been taken since: a batch
    // that stops now exits as one whose serials ran out.
    bool ranOut_ = false;
};
