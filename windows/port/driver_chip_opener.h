// A chip's port opened for one command or one chip of a batch: exclusively, set up exactly as the
// dialog sets it up, and checked to be the chip driver's before any frame goes out. It closes
// when it goes out of scope.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>

#include "chip_opener.h"
#include "handle_port.h"
#include "scoped_win.h"

class OwnedChipPort : public BytePort {
public:
    explicit OwnedChipPort(win32::AutoCloseHandle handle)
        : handle_(std::move(handle)), port_(handle_.Get()) {}

    bool WriteBytes(const uint8_t* bytes, uint32_t count, uint32_t* written) override {
        return port_.WriteBytes(bytes, count, written);
    }
    bool ReadBytes(uint8_t* dest, uint32_t count, uint32_t* read) override {
        return port_.ReadBytes(dest, count, read);
    }

private:
    win32::AutoCloseHandle handle_;  // declared first: the port uses it until the end
    HandlePort port_;
};

// The open port, or null with why not in problem.
std::unique_ptr<OwnedChipPort> OpenChipPort(const std::string& port, std::string& problem);

// Opens chip ports through the system's serial driver stack.
class DriverChipOpener : public ChipOpener {
public:
    std::unique_ptr<BytePort> Open(const std::string& port, std::string& problem) override {
        return OpenChipPort(port, problem);
    }
};
