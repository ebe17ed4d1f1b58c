// A serial port opened and set up by the tool's own opener, for tests that send frames to the
// stand-in driver's ports by hand.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scoped_win.h"

class ToolPort {
public:
    // Opens with OpenNamedPort; on failure Ready() is false and GetLastError() is the open's.
    explicit ToolPort(const std::string& name);

    bool Ready() const { return ready_; }
    HANDLE Handle() const { return handle_.Get(); }
    bool WriteFrame(uint8_t command, uint8_t address, uint8_t value);
    bool WriteBytes(const std::vector<uint8_t>& bytes);
    // One-byte ReadFile: the bytes it returned, or -1 when ReadFile failed.
    int ReadByte(uint8_t* byte);
    bool SetReadTimeouts(DWORD interval, DWORD multiplier, DWORD constant);

private:
    win32::AutoCloseHandle handle_;
    bool ready_ = false;
};
