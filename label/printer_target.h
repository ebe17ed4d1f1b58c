// Where labels go, as --printer names it: a network printer's raw port, a Windows printer queue,
// or a folder that label software watches.
#pragma once

#include <string>

#include "result.h"

enum class PrinterKind {
    Tcp,     // tcp:HOST[:PORT], raw TCP, port 9100 when none is given
    Queue,   // queue:NAME, a Windows printer queue, sent as a RAW job
    Folder,  // folder:DIR, one file per label, written whole, then renamed into place
};

inline constexpr int kRawPrinterPort = 9100;

struct PrinterTarget {
    PrinterKind kind = PrinterKind::Tcp;
    std::string host;  // tcp: a name or an address; an IPv6 address without its brackets
    int port = kRawPrinterPort;
    std::string name;  // queue: the queue's name; folder: the folder (UTF-8)
    std::string text;  // as it was given, for messages
};

// Refused with the reason when the text is none of the three forms, or a form is malformed.
Result<PrinterTarget> ParsePrinterTarget(const std::string& text);
