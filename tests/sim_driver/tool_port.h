// Test-side helpers for the stand-in driver's contract: serial ports opened and set up exactly
// the way the configuration tool does it, and the identification query.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim_control.h"
#include "serial_port.h"
#include "sim_control_client.h"

// Ports the tests add at run time: one name a prefix of the other, and nothing Wine claims.
inline constexpr const char* kHotPlugChip = "COM35";
inline constexpr const char* kHotPlugForeign = "COM350";

// The tool's identification query; false when GetCommProperties itself fails.
bool Identify(const std::string& port, DWORD* provSpec2);

// CreateFileA the way the tool opens a port; INVALID_HANDLE_VALUE with GetLastError() set.
HANDLE OpenExclusive(const std::string& port);

// The values of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM (the port names).
std::vector<std::string> ListedPorts();

// A port opened and set up by the tool's own opener.
class ToolPort {
public:
    explicit ToolPort(const std::string& name);
    ~ToolPort();
    ToolPort(const ToolPort&) = delete;
    ToolPort& operator=(const ToolPort&) = delete;

    bool ready() const { return ready_; }
    HANDLE handle() const { return handle_; }
    bool writeFrame(uint8_t command, uint8_t address, uint8_t value);
    bool writeBytes(const std::vector<uint8_t>& bytes);
    // One-byte ReadFile: the bytes it returned, or -1 when ReadFile failed.
    int readByte(uint8_t* byte);
    bool setReadTimeouts(DWORD interval, DWORD multiplier, DWORD constant);

private:
    HANDLE handle_;
    bool ready_ = false;
};

double MillisecondsSince(const LARGE_INTEGER& start);
LARGE_INTEGER Now();
