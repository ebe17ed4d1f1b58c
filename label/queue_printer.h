// queue:NAME, Windows only: a printer queue of the spooler, for label printers on USB. The label
// goes as a RAW job, so the spooler passes its bytes to the printer untouched.
#pragma once

#include <memory>
#include <string>

#include "label_printer.h"

// The spooler's entry points, loaded with it (queue_printer_win32.cpp).
struct SpoolerApi;

class QueuePrinter : public LabelPrinter {
public:
    // Loads the spooler, which only a queue needs (the programs do not import it): refused with
    // the reason when it cannot be loaded. The queue itself is opened for each label.
    static Result<std::unique_ptr<LabelPrinter>> Open(std::string queue);
    ~QueuePrinter() override;
    Status Print(std::string_view label, const std::string& name) override;

private:
    QueuePrinter(std::string queue, std::unique_ptr<const SpoolerApi> spooler);

    std::string queue_;
    std::unique_ptr<const SpoolerApi> spooler_;
};
