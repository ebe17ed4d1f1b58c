// tcp:HOST[:PORT]: each label on a connection of its own, one connection at a time, as a
// network label printer serves them. A label waits for the one before it at most the bound too,
// so a printer that hangs costs each board's worker a bound or two, never one per label queued
// ahead of it on other ports.
#pragma once

#include <condition_variable>
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
    std::mutex mutex_;  // sending_
    std::condition_variable free_;
    bool sending_ = false;
};
