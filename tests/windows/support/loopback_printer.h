// A network label printer on loopback, in the test's or the benchmark's own process: it takes
// each raw-TCP connection's bytes to their end as one label, as a printer's port 9100 does.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "scoped_win.h"

class LoopbackPrinter {
public:
    LoopbackPrinter() : socket_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        if (bind(socket_.Get(), reinterpret_cast<sockaddr*>(&address), size) == 0 &&
            listen(socket_.Get(), 8) == 0 &&
            getsockname(socket_.Get(), reinterpret_cast<sockaddr*>(&address), &size) == 0) {
            port_ = ntohs(address.sin_port);
        }
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackPrinter() {
        stop_ = true;
        thread_.join();
    }
    LoopbackPrinter(const LoopbackPrinter&) = delete;
    LoopbackPrinter& operator=(const LoopbackPrinter&) = delete;

    // --printer's value for it.
    std::string Target() const { return "tcp:127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> Labels() {
        std::lock_guard<std::mutex> hold(mutex_);
        return labels_;
    }

private:
    void Serve() {
        while (!stop_) {
            // A short wait, so that the end is seen without closing the socket under accept.
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(socket_.Get(), &ready);
            timeval wait{0, 20000};
            if (select(0, &ready, nullptr, nullptr, &wait) != 1) {
                continue;
            }
            win32::ScopedSocket connection(accept(socket_.Get(), nullptr, nullptr));
            std::string label;
            char buffer[4096];
            for (int got; (got = recv(connection.Get(), buffer, sizeof buffer, 0)) > 0;) {
                label.append(buffer, static_cast<size_t>(got));
            }
            std::lock_guard<std::mutex> hold(mutex_);
            labels_.push_back(label);
        }
    }

    win32::ScopedWinsock winsock_;
    win32::ScopedSocket socket_;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> labels_;
    std::thread thread_;  // last: it starts once the members it reads exist
};
