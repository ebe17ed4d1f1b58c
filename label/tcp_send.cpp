#include "tcp_send.h"

#include "tcp_socket.h"

namespace {

std::string Seconds(std::chrono::milliseconds bound) {
    long long tenths = (bound.count() + 50) / 100;
    std::string text = std::to_string(tenths / 10);
    if (tenths % 10 != 0) {
        text += "." + std::to_string(tenths % 10);
    }
    return text + " s";
}

std::string CannotConnect(const tcp::Sockets& sockets, const std::string& printer, int error) {
    return sockets.Refused(error)
               ? PrinterRefused(printer)
               : "cannot connect to the printer at " + printer + ": " + sockets.ErrorText(error);
}

// Connects the socket open on one of the host's addresses, within the bound.
Status Connect(tcp::Sockets& sockets, const std::string& printer, std::chrono::milliseconds bound) {
    int error = 0;
    const tcp::Call call = sockets.Connect(error);
    if (call == tcp::Call::Done) {
        return {};
    }
    if (call != tcp::Call::Wait) {
        return Fail(CannotConnect(sockets, printer, error));
    }
    if (sockets.WaitWritable(tcp::Clock::now() + bound) == tcp::Ready::Late) {
        return Fail(PrinterSilent(printer, bound));
    }
    error = sockets.ConnectError();
    if (error != 0) {
        return Fail(CannotConnect(sockets, printer, error));
    }
    return {};
}

// Every address the name has, in turn, until one takes the connection.
Status ConnectToAny(tcp::Sockets& sockets, const std::string& host, const std::string& printer,
                    std::chrono::milliseconds bound) {
    Status connected = Fail("the printer's host " + host + " has no address");
    while (sockets.NextAddress()) {
        if (int error = sockets.Open(); error != 0) {
            connected = Fail("cannot open a socket: " + sockets.ErrorText(error));
            continue;
        }
        connected = Connect(sockets, printer, bound);
        if (connected) {
            break;
        }
    }
    return connected;
}

// Every byte, each wait for room bounded by one deadline for the whole label.
Status SendAll(tcp::Sockets& sockets, const std::string& printer, std::string_view bytes,
               std::chrono::milliseconds bound) {
    const tcp::Clock::time_point deadline = tcp::Clock::now() + bound;
    size_t sent = 0;
    while (sent < bytes.size()) {
        size_t taken = 0;
        int error = 0;
        switch (sockets.Send(bytes.substr(sent), taken, error)) {
            case tcp::Call::Done:
                sent += taken;
                break;
            case tcp::Call::Wait:
                if (sockets.WaitWritable(deadline) != tcp::Ready::Writable) {
                    return Fail(PrinterStalled(printer, sent, bytes.size(), bound));
                }
                break;
            case tcp::Call::Again:
                break;
            case tcp::Call::Failed:
                return Fail("the printer at " + printer +
                            " dropped the connection: " + sockets.ErrorText(error));
        }
    }
    // The whole label is with the system; closing sends it on and ends the printer's job.
    sockets.EndSending();
    return {};
}

}  // namespace

Status SendOverTcp(const std::string& host, int port, std::string_view bytes,
                   std::chrono::milliseconds bound) {
    const std::string printer = PrinterAddress(host, port);
    std::unique_ptr<tcp::Sockets> sockets = tcp::SystemSockets();
    if (Status resolved = sockets->Resolve(host, port); !resolved) {
        return resolved;
    }
    if (Status connected = ConnectToAny(*sockets, host, printer, bound); !connected) {
        return connected;
    }
    return SendAll(*sockets, printer, bytes, bound);
}

std::string PrinterHostUnknown(const std::string& host, const std::string& why) {
    return "the printer's host " + host + " is unknown: " + why;
}

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
