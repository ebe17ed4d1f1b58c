// folder:DIR: one file per label, named after the board's serial (SERIAL.zpl; SERIAL-2.zpl and
// on when that name is still there, say for a reprint the label software has not taken yet),
// written whole under a temporary name and then renamed into place, so label software that
// watches the folder never sees half a label.
#pragma once

#include "label_printer.h"

class FolderPrinter : public LabelPrinter {
public:
    explicit FolderPrinter(std::string folder) : folder_(std::move(folder)) {}
    Status Print(std::string_view label, const std::string& name) override;

private:
    std::string folder_;
};

// The file name a label's name gives: characters no file system refuses, or "label".
std::string LabelFileStem(const std::string& name);
