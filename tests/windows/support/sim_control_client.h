// Tests' side of the stand-in driver's control device: set up a simulated chip, make it go
// mute, take its port away, and read back what reached it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim_control.h"
#include "sim_ports.h"

class SimControl {
public:
    SimControl();
    ~SimControl();
    SimControl(const SimControl&) = delete;
    SimControl& operator=(const SimControl&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

    // A request that carries only the port and a value; false with GetLastError() set.
    bool Request(DWORD code, const std::string& port, unsigned value = 0);

    bool SetMemory(const std::string& port, unsigned address, const std::vector<uint8_t>& bytes);
    // The chip's 64 bytes; empty when the request failed.
    std::vector<uint8_t> Memory(const std::string& port);
    std::vector<ZqSimLogEntry> Log(const std::string& port, unsigned* total = nullptr);
    ZqSimCounters Counters(const std::string& port);
    ZqSimPortState State(const std::string& port);
    ZqSimPortList Ports();

    bool Fill(const std::string& port, uint8_t value) {
        return Request(ZQSIM_IOCTL_FILL_MEMORY, port, value);
    }
    bool MuteAfter(const std::string& port, unsigned frames) {
        return Request(ZQSIM_IOCTL_MUTE, port, frames);
    }
    bool AnswerAgain(const std::string& port) { return MuteAfter(port, ZQSIM_ANSWER_AGAIN); }
    bool Clear(const std::string& port) { return Request(ZQSIM_IOCTL_CLEAR, port); }
    bool Remove(const std::string& port) { return Request(ZQSIM_IOCTL_REMOVE_PORT, port); }
    bool Restore(const std::string& port) { return Request(ZQSIM_IOCTL_RESTORE_PORT, port); }
    bool Hold(const std::string& port) { return Request(ZQSIM_IOCTL_HOLD_PORT, port); }
    bool Release(const std::string& port) { return Request(ZQSIM_IOCTL_RELEASE_PORT, port); }
    bool AddPort(const std::string& port, unsigned kind) {
        return Request(ZQSIM_IOCTL_ADD_PORT, port, kind);
    }
    bool SetDelay(const std::string& port, unsigned micros) {
        return Request(ZQSIM_IOCTL_SET_DELAY, port, micros);
    }

    // Puts a port back as the driver made it: there, free, blank, answering, empty log.
    bool Reset(const std::string& port);
    // The same for each of kDefaultPorts; false when any of them could not be reset.
    bool ResetDefaultPorts();

private:
    bool Get(DWORD code, const std::string& port, void* out, DWORD size);
    HANDLE handle_;
};
