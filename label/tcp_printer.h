// tcp:HOST[:PORT]: each label on a connection of its own, one connection at a time, as a
// network label printer serves them.
#pragma once

#include <mutex>

#include "label_printer.h"

class TcpPrinter : public LabelPrinter {
public:
    TcpPrinter(std::string host, int port, std::chrono::milliseconds bound)
        : host_(std::move(host)), port_(port), bound_(bound) {}
    Status Print(std::string_view label, const std::string& name) override;

private:
    std::string host_;
    int port_;
    std::chrono::milliseconds bound_;
    std::mutex sending_;
};
