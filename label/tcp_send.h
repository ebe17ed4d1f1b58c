// One label over raw TCP, the way network label printers take them: connect, send every byte,
// close. Sockets of the system (POSIX on the host, Winsock on Windows) behind one call.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "result.h"

// The bound holds for the connection and again for the sending; refused with the reason: the
// host is unknown, the printer refused the connection, or did not answer or take the label in
// time.
Status SendOverTcp(const std::string& host, int port, std::string_view bytes,
                   std::chrono::milliseconds bound);

// "HOST:PORT", an IPv6 address in brackets, as messages name a printer.
std::string PrinterAddress(const std::string& host, int port);

// The reasons both systems give, in one set of words.
std::string PrinterHostUnknown(const std::string& host, const std::string& why);
std::string PrinterRefused(const std::string& address);
std::string PrinterSilent(const std::string& address, std::chrono::milliseconds bound);
std::string PrinterBusy(const std::string& address, std::chrono::milliseconds bound);
std::string PrinterStalled(const std::string& address, size_t sent, size_t total,
                           std::chrono::milliseconds bound);
