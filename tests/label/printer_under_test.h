// What the printers' tests on the host and on Windows share: a printer made from a --printer
// target as a batch makes one, and a label of a given size with a field of UTF-8 text.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "label_printer.h"

inline std::unique_ptr<LabelPrinter> Printer(const std::string& target,
                                             std::chrono::milliseconds bound = kPrinterBound) {
    Result<PrinterTarget> parsed = ParsePrinterTarget(target);
    EXPECT_TRUE(parsed) << parsed.Err().message;
    Result<std::unique_ptr<LabelPrinter>> printer = MakeLabelPrinter(*parsed, bound);
    EXPECT_TRUE(printer);
    return std::move(*printer);
}

inline std::string Label(size_t bytes) {
    std::string label = "^XA^CI28^FH_^FD板_5E";
    label.resize(bytes - 6, 'x');
    return label + "^FS^XZ";
}
