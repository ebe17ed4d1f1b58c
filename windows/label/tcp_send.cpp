// Raw TCP with Winsock, for Windows: a non-blocking socket, so that select() bounds every wait.
#include <algorithm>

#include "scoped_win.h"
#include "tcp_send.h"
#include "wide_text.h"
#include "windows_error_text.h"

namespace {

using Clock = std::chrono::steady_clock;

// True when the socket became writable (connected, or with room to send) before the deadline;
// `failed` tells a connection that failed instead.
bool WaitWritable(SOCKET socket, Clock::time_point deadline, bool& failed) {
    auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
    long long micros = std::max<long long>(left.count(), 0);
    timeval wait{static_cast<long>(micros / 1000000), static_cast<long>(micros % 1000000)};
    fd_set writable;
    fd_set failing;
    FD_ZERO(&writable);
    FD_ZERO(&failing);
    FD_SET(socket, &writable);
    FD_SET(socket, &failing);
    int ready = select(0, nullptr, &writable, &failing, &wait);
    failed = ready > 0 && FD_ISSET(socket, &failing);
    return ready > 0;
}

Status Connect(SOCKET socket, const ADDRINFOW& address, const std::string& printer,
               std::chrono::milliseconds bound) {
    if (connect(socket, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) {
        return {};
    }
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) {
        bool failed = false;
        if (!WaitWritable(socket, Clock::now() + bound, failed)) {
            return Fail(PrinterSilent(printer, bound));
        }
        if (!failed) {
            return {};
        }
        int size = sizeof error;
        getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
    }
    if (error == WSAECONNREFUSED) {
        return Fail(PrinterRefused(printer));
    }
    return Fail("cannot connect to the printer at " + printer + ": " + WindowsErrorText(error));
}

}  // namespace

Status SendOverTcp(const std::string& host, int port, std::string_view bytes,
                   std::chrono::milliseconds bound) {
    const std::string printer = PrinterAddress(host, port);
    win32::ScopedWinsock winsock;
    if (winsock.Error() != 0) {
        return Fail("Windows sockets cannot start: " + WindowsErrorText(winsock.Error()));
    }
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    if (GetAddrInfoW(WideFromUtf8(host).c_str(), std::to_wstring(port).c_str(), &hints, &found) !=
        0) {
        return Fail("the printer's host " + host +
                    " is unknown: " + WindowsErrorText(WSAGetLastError()));
    }
    win32::ScopedAddrInfo addresses(found);

    // Every address the name has, in turn, until one takes the connection.
    Status connected = Fail("the printer's host " + host + " has no address");
    win32::ScopedSocket socket;
    for (const ADDRINFOW* address = addresses.Get(); address != nullptr;
         address = address->ai_next) {
        socket.Reset(::socket(address->ai_family, address->ai_socktype, address->ai_protocol));
        u_long nonBlocking = 1;
        if (!socket || ioctlsocket(socket.Get(), FIONBIO, &nonBlocking) != 0) {
            connected = Fail("cannot open a socket: " + WindowsErrorText(WSAGetLastError()));
            continue;
        }
        connected = Connect(socket.Get(), *address, printer, bound);
        if (connected) {
            break;
        }
    }
    if (!connected) {
        return connected;
    }

    const Clock::time_point deadline = Clock::now() + bound;
    size_t sent = 0;
    while (sent < bytes.size()) {
        int chunk = static_cast<int>(std::min<size_t>(bytes.size() - sent, 1 << 20));
        int now = send(socket.Get(), bytes.data() + sent, chunk, 0);
        if (now > 0) {
            sent += static_cast<size_t>(now);
            continue;
        }
        int error = WSAGetLastError();
        bool failed = false;
        if (now == SOCKET_ERROR && error != WSAEWOULDBLOCK) {
            return Fail("the printer at " + printer +
                        " dropped the connection: " + WindowsErrorText(error));
        }
        if (!WaitWritable(socket.Get(), deadline, failed) || failed) {
            return Fail(PrinterStalled(printer, sent, bytes.size(), bound));
        }
    }
    // The whole label is with the system; closing sends it on and ends the printer's job.
    shutdown(socket.Get(), SD_SEND);
    return {};
}
