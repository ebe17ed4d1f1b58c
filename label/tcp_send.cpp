#include "tcp_send.h"

namespace {

std::string Seconds(std::chrono::milliseconds bound) {
    long long tenths = (bound.count() + 50) / 100;
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0) {
        text += "." + std::to_string(tenths % 10);
    }
    return text + " s";
}

}  // namespace

std::string PrinterAddress(const std::string& host, int port) {
    bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string PrinterRefused(const std::string& address) {
    return "the printer at " + address + " refused the connection";
}

std::string PrinterBusy(const std::string& address, std::chrono::milliseconds bound) {
    return "timed out: the printer at " + address + " was still busy with another label after " +
           Seconds(bound);
}

std::string PrinterSilent(const std::string& address, std::chrono::milliseconds bound) {
    return "the printer at " + address + " did not answer within " + Seconds(bound);
}

std::string PrinterStalled(const std::string& address, size_t sent, size_t total,
                           std::chrono::milliseconds bound) {
    return "timed out: the printer at " + address + " took " + std::to_string(sent) + " of " +
           std::to_string(total) + " bytes of the label within " + Seconds(bound);
}
