// What a batch tells the program that shows it: a console's lines, a station's tiles. Called
// from the workers, several at once.
#pragma once

#include <string>

#include "batch_outcome.h"
#include "board_label.h"

enum class ChipPhase { Reading, Writing };

struct ChipReport {
    std::string port;
    std::string serial;  // "" when the chip used none
    BatchOutcome outcome = BatchOutcome::Failed;
    std::string status;
    double seconds = 0;  // from the chip's turn to its outcome
    BoardLabel label;    // its label, printed after its outcome was on record
};

class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    virtual void ChipPhaseChanged(const std::string& port, ChipPhase phase) = 0;
    // The chip's serial is taken (its started record is durable), just before its write: a
    // program that shows the next serial works it out from this one.
    virtual void SerialTaken(const std::string& /*port*/, const std::string& /*serial*/) {}
    // The chip's outcome, once it is recorded (or the record has failed), and its label.
    virtual void ChipDone(const ChipReport& report) = 0;
    // The batch stopped before the chip got a serial: it is left as it was.
    virtual void ChipLeftAlone(const std::string& port) = 0;
    // The batch stops, and why; "" when it simply completed its count.
    virtual void Stopping(const std::string& reason) = 0;
    // The period's serials have run out (a week's counter used up): no chip starts until the
    // next period, and why. Said once each time it happens.
    virtual void SerialsWaiting(const std::string& why) { (void)why; }
};
