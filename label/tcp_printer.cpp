#include "tcp_printer.h"

#include "tcp_send.h"

namespace {

// The printer taken for one label, and given back however the sending ends.
class Turn {
public:
    Turn(std::mutex& mutex, std::condition_variable& free, bool& sending)
        : mutex_(mutex), free_(free), sending_(sending) {}
    ~Turn() {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            sending_ = false;
        }
        free_.notify_one();
    }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

private:
    std::mutex& mutex_;
    std::condition_variable& free_;
    bool& sending_;
};

}  // namespace

Status TcpPrinter::Print(std::string_view label, const std::string& /*name*/) {
    {
        // A flag under a plain mutex rather than a timed mutex: the wait is bounded all the same,
        // and every thread checker sees it.
        std::unique_lock<std::mutex> hold(mutex_);
        if (!free_.wait_for(hold, bound_, [&] { return !sending_; })) {
            return Fail(Error{PrinterBusy(PrinterAddress(host_, port_), bound_)});
        }
        sending_ = true;
    }
    Turn turn(mutex_, free_, sending_);
    return SendOverTcp(host_, port_, label, bound_);
}
