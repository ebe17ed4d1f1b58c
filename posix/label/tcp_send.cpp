// Raw TCP with POSIX sockets, for the host: non-blocking, so that poll() bounds every wait.
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <system_error>

#include "tcp_send.h"
#include "tcp_socket.h"

namespace {

struct AddressListDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListDeleter>;

class Socket {
public:
    Socket() = default;
    ~Socket() { Reset(-1); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    void Reset(int fd) {
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = fd;
    }
    int Get() const { return fd_; }

private:
    int fd_ = -1;
};

// Milliseconds left before the deadline, at least 0.
int Left(tcp::Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - tcp::Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

class PosixSockets : public tcp::Sockets {
public:
    Status Resolve(const std::string& host, int port) override {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        int lookup = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
        if (lookup != 0) {
            return Fail(PrinterHostUnknown(host, gai_strerror(lookup)));
        }
        addresses_.reset(found);
        return {};
    }

    bool NextAddress() override {
        address_ = address_ == nullptr ? addresses_.get() : address_->ai_next;
        return address_ != nullptr;
    }

    int Open() override {
        const int fd =
            ::socket(address_->ai_family, address_->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                     address_->ai_protocol);
        // Read before the last address's socket is closed, which may set errno of its own.
        const int error = fd < 0 ? errno : 0;
        socket_.Reset(fd);
        return error;
    }

    tcp::Call Connect(int& error) override {
        if (connect(socket_.Get(), address_->ai_addr, address_->ai_addrlen) == 0) {
            return tcp::Call::Done;
        }
        error = errno;
        return error == EINPROGRESS ? tcp::Call::Wait : tcp::Call::Failed;
    }

    tcp::Ready WaitWritable(tcp::Clock::time_point deadline) override {
        for (;;) {
            pollfd entry{socket_.Get(), POLLOUT, 0};
            int ready = poll(&entry, 1, Left(deadline));
            if (ready >= 0 || errno != EINTR) {
                return ready > 0 ? tcp::Ready::Writable : tcp::Ready::Late;
            }
        }
    }

    int ConnectError() override {
        int error = 0;
        socklen_t size = sizeof error;
        getsockopt(socket_.Get(), SOL_SOCKET, SO_ERROR, &error, &size);
        return error;
    }

    tcp::Call Send(std::string_view bytes, size_t& sent, int& error) override {
        ssize_t now = send(socket_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (now > 0) {
            sent = static_cast<size_t>(now);
            return tcp::Call::Done;
        }
        if (now < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return tcp::Call::Wait;
        }
        if (now < 0 && errno != EINTR) {
            error = errno;
            return tcp::Call::Failed;
        }
        return tcp::Call::Again;
    }

    void EndSending() override { shutdown(socket_.Get(), SHUT_WR); }

    bool Refused(int error) const override { return error == ECONNREFUSED; }

    std::string ErrorText(int error) const override {
        return std::generic_category().message(error);
    }

private:
    AddressList addresses_;
    const addrinfo* address_ = nullptr;
    Socket socket_;
};

}  // namespace

std::unique_ptr<tcp::Sockets> tcp::SystemSockets() {
    return std::make_unique<PosixSockets>();
}
