// Sending a label to where --printer points. Each kind of target has one implementation behind
// this interface, and each system its own calls behind them; nothing is opened or connected
// until a label is printed, so a printer that is off when the batch starts costs nothing then.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "printer_target.h"
#include "result.h"

// How long a printer may take to answer a connection, and then to take a label: a printer
// that is off, or jammed, holds nothing up for longer.
inline constexpr std::chrono::milliseconds kPrinterBound{5000};

class LabelPrinter {
public:
    virtual ~LabelPrinter() = default;

    // Sends one whole label; refused with the reason. `name` names it where the target keeps
    // names (a folder's file, a queue's document): the board's serial. May be called from
    // several threads at once.
    virtual Status Print(std::string_view label, const std::string& name) = 0;
};

// The printer the target names; refused when this system has no such kind (a queue is a
// Windows printer queue).
Result<std::unique_ptr<LabelPrinter>> MakeLabelPrinter(
    const PrinterTarget& target, std::chrono::milliseconds bound = kPrinterBound);
