// Raw TCP with Winsock, for Windows: a non-blocking socket, so that select() bounds every wait.
#include <algorithm>

#include "scoped_win.h"
#include "tcp_send.h"
#include "tcp_socket.h"
#include "wide_text.h"
#include "windows_error_text.h"

namespace {

class Winsock : public tcp::Sockets {
public:
    Status Resolve(const std::string& host, int port) override {
        if (winsock_.Error() != 0) {
            return Fail("Windows sockets cannot start: " + WindowsErrorText(winsock_.Error()));
        }
        ADDRINFOW hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        ADDRINFOW* found = nullptr;
        if (GetAddrInfoW(WideFromUtf8(host).c_str(), std::to_wstring(port).c_str(), &hints,
                         &found) != 0) {
            return Fail(PrinterHostUnknown(host, WindowsErrorText(WSAGetLastError())));
        }
        addresses_.Reset(found);
        return {};
    }

    bool NextAddress() override {
        address_ = address_ == nullptr ? addresses_.Get() : address_->ai_next;
        return address_ != nullptr;
    }

    int Open() override {
        socket_.Reset(::socket(address_->ai_family, address_->ai_socktype, address_->ai_protocol));
        u_long nonBlocking = 1;
        if (!socket_ || ioctlsocket(socket_.Get(), FIONBIO, &nonBlocking) != 0) {
            return WSAGetLastError();
        }
        return 0;
    }

    tcp::Call Connect(int& error) override {
        if (connect(socket_.Get(), address_->ai_addr, static_cast<int>(address_->ai_addrlen)) ==
            0) {
            return tcp::Call::Done;
        }
        error = WSAGetLastError();
        return error == WSAEWOULDBLOCK ? tcp::Call::Wait : tcp::Call::Failed;
    }

    // Writable: connected, or with room to send; Failed: a connection that failed instead.
    tcp::Ready WaitWritable(tcp::Clock::time_point deadline) override {
        auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - tcp::Clock::now());
        long long micros = std::max<long long>(left.count(), 0);
        timeval wait{static_cast<long>(micros / 1000000), static_cast<long>(micros % 1000000)};
        fd_set writable;
        fd_set failing;
        FD_ZERO(&writable);
        FD_ZERO(&failing);
        FD_SET(socket_.Get(), &writable);
        FD_SET(socket_.Get(), &failing);
        int ready = select(0, nullptr, &writable, &failing, &wait);
        failed_ = ready > 0 && FD_ISSET(socket_.Get(), &failing);
        return ready <= 0 ? tcp::Ready::Late : failed_ ? tcp::Ready::Failed : tcp::Ready::Writable;
    }

    int ConnectError() override {
        if (!failed_) {
            return 0;
        }
        int error = WSAEWOULDBLOCK;
        int size = sizeof error;
        getsockopt(socket_.Get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
        return error;
    }

    tcp::Call Send(std::string_view bytes, size_t& sent, int& error) override {
        int chunk = static_cast<int>(std::min<size_t>(bytes.size(), 1 << 20));
        int now = send(socket_.Get(), bytes.data(), chunk, 0);
        if (now > 0) {
            sent = static_cast<size_t>(now);
            return tcp::Call::Done;
        }
        error = WSAGetLastError();
        return now == SOCKET_ERROR && error != WSAEWOULDBLOCK ? tcp::Call::Failed : tcp::Call::Wait;
    }

    void EndSending() override { shutdown(socket_.Get(), SD_SEND); }

    bool Refused(int error) const override { return error == WSAECONNREFUSED; }

    std::string ErrorText(int error) const override { return WindowsErrorText(error); }

private:
    // Declared first so that it is cleaned up last, after the socket and the addresses.
    win32::ScopedWinsock winsock_;
    win32::ScopedAddrInfo addresses_;
    const ADDRINFOW* address_ = nullptr;
    win32::ScopedSocket socket_;
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<tcp::Sockets> tcp::SystemSockets() {
    return std::make_unique<Winsock>();
}
