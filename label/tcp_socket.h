// The socket calls a send over TCP makes, one implementation per system (tcp_send_posix.cpp,
// tcp_send_winsock.cpp). The order of the calls and every deadline are tcp_send.cpp's, so that
// both systems bound a send alike and refuse it in the same words.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "result.h"

namespace tcp {

using Clock = std::chrono::steady_clock;

// What a non-blocking call did: finished, must wait until the socket is writable, must simply
// be made again (interrupted), or failed with the system's error.
enum class Call { Done, Wait, Again, Failed };

// What a wait for a writable socket saw before its deadline.
enum class Ready { Writable, Failed, Late };

// The sockets of one send: the system's sockets started, the host's addresses, and a
// non-blocking socket on the address being tried. Only WaitWritable waits.
class Sockets {
public:
    virtual ~Sockets() = default;
    // Looks the host up; why not when the system's sockets cannot start or the host is unknown.
    virtual Status Resolve(const std::string& host, int port) = 0;
    // Moves to the next address (the first, the first time); false when none is left.
    virtual bool NextAddress() = 0;
    // A socket for the address: 0, else the system's error.
    virtual int Open() = 0;
    // Starts the connection: Done, Wait while it goes on, else Failed with the error.
    virtual Call Connect(int& error) = 0;
    virtual Ready WaitWritable(Clock::time_point deadline) = 0;
    // After a wait for the connection: its error, 0 when it is made.
    virtual int ConnectError() = 0;
    // Hands the system what it takes of bytes: Done with the count in sent, Wait when the socket
    // is full, Again, or Failed with the error.
    virtual Call Send(std::string_view bytes, size_t& sent, int& error) = 0;
    // No more to send: the system sends the rest on and the printer ends its job.
    virtual void EndSending() = 0;
    virtual bool Refused(int error) const = 0;
    virtual std::string ErrorText(int error) const = 0;
};

// This system's sockets.
std::unique_ptr<Sockets> SystemSockets();

}  // namespace tcp
