// queue:NAME, Windows only: a printer queue of the spooler, for label printers on USB. The label
// goes as a RAW job, so the spooler passes its bytes to the printer untouched.
#pragma once

#include "label_printer.h"

class QueuePrinter : public LabelPrinter {
public:
    explicit QueuePrinter(std::string queue) : queue_(std::move(queue)) {}
    Status Print(std::string_view label, const std::string& name) override;

private:
    std::string queue_;
};
