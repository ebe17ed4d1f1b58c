#include "tcp_printer.h"

#include "tcp_send.h"

Status TcpPrinter::Print(std::string_view label, const std::string& /*name*/) {
    std::unique_lock<std::timed_mutex> one(sending_, bound_);
    if (!one.owns_lock()) {
        return Fail(Error{PrinterBusy(PrinterAddress(host_, port_), bound_)});
    }
    return SendOverTcp(host_, port_, label, bound_);
}
