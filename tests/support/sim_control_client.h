// Tests' side of the stand-in driver's control device: set up a simulated chip, make it go
// mute, and read back what reached it.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "sim_control.h"

class SimControl {
public:
    SimControl();
    ~SimControl();
    SimControl(const SimControl&) = delete;
    SimControl& operator=(const SimControl&) = delete;

    bool IsOpen() const { return device_ != INVALID_HANDLE_VALUE; }

    std::array<uint8_t, ZQSIM_MEMORY_SIZE> Memory(const std::string& port);
    bool SetMemory(const std::string& port, const std::array<uint8_t, ZQSIM_MEMORY_SIZE>& bytes);
    bool Fill(const std::string& port, uint8_t value);
    bool MuteAfter(const std::string& port, unsigned frames);
    bool AnswerAgain(const std::string& port) { return MuteAfter(port, ZQSIM_ANSWER_AGAIN); }
    std::vector<ZqSimLogEntry> Log(const std::string& port);
    ZqSimCounters Counters(const std::string& port);
    ZqSimPortState State(const std::string& port);
    bool Clear(const std::string& port);
    bool Remove(const std::string& port);
    bool Restore(const std::string& port);
    bool Hold(const std::string& port);
    bool Release(const std::string& port);
    bool AddPort(const std::string& port, unsigned kind);
    bool SetDelay(const std::string& port, unsigned micros);
    ZqSimPortList Ports();

    // A blank, answering, unlogged chip: what every test starts from.
    bool Reset(const std::string& port);

private:
    bool Request(DWORD code, const std::string& port, unsigned value, void* out = nullptr,
                 DWORD outSize = 0);
    HANDLE device_;
};
