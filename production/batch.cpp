#include "batch.h"

#include <algorithm>
#include <chrono>
#include <exception>

#include "chip_decision.h"
#include "config_jobs.h"
#include "exit_codes.h"
#include "port_name.h"
#include "record_text.h"
#include "status_text.h"
#include "utc_time.h"
#include "utf_text.h"

namespace {

BatchOutcome OutcomeOfSkip(ChipStep step) {
    switch (step) {
        case ChipStep::SkipLocked:
            return BatchOutcome::SkippedLocked;
        case ChipStep::SkipProgrammed:
            return BatchOutcome::SkippedProgrammed;
        case ChipStep::ReadFailed:
        case ChipStep::Program:
            break;
    }
    return BatchOutcome::ReadFailed;
}

}  // namespace

struct Batch::Turn {
    LedgerEntry entry;      // the chip's record so far
    bool gateHeld = false;  // counted as writing by the --count gate
    bool ended = false;     // its outcome is recorded
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

Batch::Batch(const BatchSettings& settings, Ledger& ledger, BatchObserver& observer)
    : settings_(settings), ledger_(ledger), observer_(observer), gate_(settings.count) {}

bool Batch::Takes(const std::string& port) const {
    if (settings_.ports.empty()) {
        return true;
    }
    return HasPort(settings_.ports, port);
}

void Batch::ProgramChip(const std::string& port, ChipOpener& opener) {
    Turn turn;
    turn.entry.port = port;
    turn.entry.vid = HexId(settings_.identity.vendorId);
    turn.entry.pid = HexId(settings_.identity.productId);
    turn.entry.product = Utf16ToUtf8(settings_.identity.product.value_or(u"")).value_or("");
    turn.entry.lock = settings_.identity.lock;
    turn.entry.station = settings_.station;
    turn.entry.job = settings_.job;
    try {
        Run(turn, opener);
    } catch (const std::exception& error) {
        // A fault of ours must not take the other workers down, nor leave a serial unaccounted.
        if (!turn.ended) {
            End(turn, BatchOutcome::Failed, std::string("internal error: ") + error.what());
        }
    } catch (...) {
        if (!turn.ended) {
            End(turn, BatchOutcome::Failed, "internal error");
        }
    }
}

void Batch::Run(Turn& turn, ChipOpener& opener) {
    if (Stopping()) {
        observer_.ChipLeftAlone(turn.entry.port);
        return;
    }
    Result<std::unique_ptr<BytePort>> opened = opener.Open(turn.entry.port);
    std::unique_ptr<BytePort> port = opened ? std::move(*opened) : nullptr;
    RecordPtr held = NewRecord();
    JobOutcome read = JobOutcome::ReadFailed;
    if (port) {
        observer_.ChipPhaseChanged(turn.entry.port, ChipPhase::Reading);
        read = ReadChip(*port, *held);
    }
    ChipDecision decision =
        DecideAfterRead(read, *held, settings_.identity,
                        [this](const std::string& serial) { return ledger_.WasVerified(serial); });
    if (decision.step != ChipStep::Program) {
        // A port that would not open says why better than a read that never happened.
        std::string status = opened ? decision.status : opened.Err().message;
        port.reset();
        turn.entry.serial = decision.serial;
        End(turn, OutcomeOfSkip(decision.step), status);
        return;
    }

    std::optional<std::string> serial = TakeSerial(turn);
    if (!serial) {
        port.reset();
        observer_.ChipLeftAlone(turn.entry.port);
        return;
    }
    turn.entry.serial = *serial;
    observer_.SerialTaken(turn.entry.port, *serial);
    ChipIdentity identity = settings_.identity;
    identity.serial = *serial;
    Result<RecordPtr> record = BuildRecord(identity);
    if (!record) {
        // Used and on record, never written: a serial the chip cannot hold whole is not cut.
        port.reset();
        End(turn, BatchOutcome::Failed, "not written: " + record.Err().message);
        return;
    }
    observer_.ChipPhaseChanged(turn.entry.port, ChipPhase::Writing);
    JobOutcome outcome = WriteAndVerify(*port, **record);
    port.reset();
    End(turn, OutcomeOfWrite(outcome), StatusText(outcome));
}

std::optional<std::string> Batch::TakeSerial(Turn& turn) {
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(mutex_);
            changed_.wait(hold, [&] { return stopping_ || gate_.MayStart(); });
            if (stopping_) {
                return std::nullopt;
            }
            gate_.Started();
            turn.gateHeld = true;
        }
        // The serial is used from its first frame on, whatever the outcome: the ledger has
        // recorded it before it returns, so no crash or restart can hand it out again.
        SerialTake take = ledger_.TakeSerial(turn.entry);
        bool firstToWait = false;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            if (take.result == TakeResult::Taken) {
                ranOut_ = false;
                return take.serial;
            }
            gate_.Finished(false);
            turn.gateHeld = false;
            firstToWait = !ranOut_;
            ranOut_ = take.result == TakeResult::NotYet || take.result == TakeResult::RunOut;
        }
        changed_.notify_all();
        if (take.result != TakeResult::NotYet) {
            if (take.result == TakeResult::RunOut) {
                Stop(take.message, EXIT_FAILED);
            } else {
                Stop("the batch's record could not be written (" + take.message +
                         "): the batch stops; nothing is written unrecorded",
                     EXIT_RECORD_FAILED);
            }
            return std::nullopt;
        }
        // The chip waits on its port for the next period, as long as the batch runs.
        if (firstToWait) {
            observer_.SerialsWaiting(take.message);
        }
        std::unique_lock<std::mutex> hold(mutex_);
        changed_.wait_for(hold, settings_.periodRecheck, [&] { return stopping_; });
    }
}

void Batch::End(Turn& turn, BatchOutcome outcome, const std::string& status) {
    turn.ended = true;
    LedgerEntry entry = turn.entry;
    entry.outcome = outcome;
    entry.status = status;
    // Stamped here rather than by the ledger, so that a label shows its record's own time.
    entry.time = UtcNow();
    const Status recorded = ledger_.Record(entry);
    bool complete = false;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        tally_.Add(outcome);
        if (turn.gateHeld) {
            gate_.Finished(outcome == BatchOutcome::Verified);
            turn.gateHeld = false;
        }
        complete = gate_.Complete();
    }
    changed_.notify_all();
    if (!recorded) {
        Stop(
            "the batch's record could not be written: the batch stops; chips in progress "
            "finish first",
            EXIT_RECORD_FAILED);
    }
    ChipReport report;
    report.port = entry.port;
    report.serial = entry.serial;
    report.outcome = outcome;
    report.status = status;
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - turn.start).count();
    // The count's gate is already open again: while this worker waits for the printer, the
    // other ports' boards go on.
    report.label = Label(entry, recorded.Ok());
    observer_.ChipDone(report);
    if (complete) {
        Stop("", EXIT_DONE);
    }
}

BoardLabel Batch::Label(const LedgerEntry& record, bool onRecord) {
    if (settings_.labeller == nullptr) {
        return {};
    }
    BoardLabel label = settings_.labeller->AfterRecord(record, onRecord);
    if (label.state == LabelState::None) {
        return label;
    }
    // Every print is on record, as its own record of the serial; it never changes the board's.
    LedgerEntry print = record;
    print.time.clear();
    print.outcome =
        label.state == LabelState::Printed ? BatchOutcome::Labelled : BatchOutcome::LabelFailed;
    print.status = label.status;
    const Status recorded = ledger_.Record(print);
    {
        std::lock_guard<std::mutex> hold(mutex_);
        tally_.Add(print.outcome);
    }
    if (!recorded) {
        Stop(
            "the batch's record could not be written: the batch stops; chips in progress "
            "finish first",
            EXIT_RECORD_FAILED);
    }
    return label;
}

void Batch::Stop(const std::string& reason, int exitCode) {
    {
        std::lock_guard<std::mutex> hold(mutex_);
        bool upgrade = exitCode == EXIT_RECORD_FAILED && stopExitCode_ != EXIT_RECORD_FAILED;
        if (stopping_ && !upgrade) {
            return;
        }
        stopping_ = true;
        stopExitCode_ = exitCode;
    }
    changed_.notify_all();
    observer_.Stopping(reason);
}

void Batch::FinishRecords() {
    if (Status finished = ledger_.Finish(); !finished) {
        Stop(finished.Err().message, EXIT_RECORD_FAILED);
    }
}

bool Batch::Stopping() {
    std::lock_guard<std::mutex> hold(mutex_);
    return stopping_;
}

BatchTally Batch::Tally() {
    std::lock_guard<std::mutex> hold(mutex_);
    return tally_;
}

int Batch::ExitCode() {
    std::lock_guard<std::mutex> hold(mutex_);
    // Serials that ran out end the batch as a failure, whatever stopped it then (Ctrl+C while a
    // week's serials were used up), unless its record failed, which says more.
    bool ranOut = ranOut_ && !gate_.Complete() && stopExitCode_ != EXIT_RECORD_FAILED;
    return BatchExitCode(tally_, ranOut ? EXIT_FAILED : stopExitCode_);
}

std::string Batch::RecordLossSummary() {
    std::string last = ledger_.LastRecordedSerial();
    std::string text =
        "the batch's record could not be written: it stopped; chips in progress "
        "finished. The last serial on record: " +
        (last.empty() ? std::string("none") : last);
    std::string unrecorded;
    for (const std::string& serial : ledger_.UnrecordedSerials()) {
        unrecorded += (unrecorded.empty() ? "" : ", ") + serial;
    }
    if (!unrecorded.empty()) {
        text += "; used, outcome not recorded: " + unrecorded;
    }
    return text;
}
