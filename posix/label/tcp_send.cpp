// Raw TCP with POSIX sockets, for the host: non-blocking, so that poll() bounds every wait.
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <memory>

#include "tcp_send.h"

namespace {

using Clock = std::chrono::steady_clock;

struct AddressListDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Milliseconds left before the deadline, at least 0.
int Left(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// True when the socket became ready for `events` before the deadline.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        int ready = poll(&entry, 1, Left(deadline));
        if (ready >= 0 || errno != EINTR) {
            return ready > 0;
        }
    }
}

// Connects to one of the host's addresses; an error naming why not.
Status Connect(const Socket& socket, const addrinfo& address, const std::string& printer,
               std::chrono::milliseconds bound) {
    if (connect(socket.Get(), address.ai_addr, address.ai_addrlen) == 0) {
        return {};
    }
    if (errno != EINPROGRESS) {
        int error = errno;
        return Fail(error == ECONNREFUSED ? PrinterRefused(printer)
                                          : "cannot connect to the printer at " + printer + ": " +
                                                std::generic_category().message(error));
    }
    if (!WaitFor(socket.Get(), POLLOUT, Clock::now() + bound)) {
        return Fail(PrinterSilent(printer, bound));
    }
    int error = 0;
    socklen_t size = sizeof error;
    getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &size);
    if (error == ECONNREFUSED) {
        return Fail(PrinterRefused(printer));
    }
    if (error != 0) {
        return Fail("cannot connect to the printer at " + printer + ": " +
                    std::generic_category().message(error));
    }
    return {};
}

}  // namespace

Status SendOverTcp(const std::string& host, int port, std::string_view bytes,
                   std::chrono::milliseconds bound) {
    const std::string printer = PrinterAddress(host, port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int lookup = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (lookup != 0) {
        return Fail("the printer's host " + host + " is unknown: " + gai_strerror(lookup));
    }
    AddressList addresses(found);

    // Every address the name has, in turn, until one takes the connection.
    Status connected = Fail("the printer's host " + host + " has no address");
    std::unique_ptr<Socket> socket;
    for (const addrinfo* address = addresses.get(); address != nullptr;
         address = address->ai_next) {
        socket = std::make_unique<Socket>(
            ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                     address->ai_protocol));
        if (socket->Get() < 0) {
            connected = Fail("cannot open a socket: " +
                             std::string(std::generic_category().message(errno)));
            continue;
        }
        connected = Connect(*socket, *address, printer, bound);
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
        ssize_t now = send(socket->Get(), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (now > 0) {
            sent += static_cast<size_t>(now);
        } else if (now < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(socket->Get(), POLLOUT, deadline)) {
                return Fail(PrinterStalled(printer, sent, bytes.size(), bound));
            }
        } else if (now < 0 && errno != EINTR) {
            return Fail("the printer at " + printer +
                        " dropped the connection: " + std::generic_category().message(errno));
        }
    }
    // The whole label is with the system; closing sends it on and ends the printer's job.
    shutdown(socket->Get(), SHUT_WR);
    return {};
}
