#include "tcp_printer.h"

#include "tcp_send.h"

Status TcpPrinter::Print(std::string_view label, const std::string& /*name*/) {
    std::lock_guard<std::mutex> one(sending_);
    return SendOverTcp(host_, port_, label, bound_);
}
