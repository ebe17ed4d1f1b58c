#include "tool_port.h"

#include "serial_port.h"

ToolPort::ToolPort(const std::string& name) {
    ready_ = OpenNamedPort(name.c_str(), handle_) == 1;
}

bool ToolPort::WriteBytes(const std::vector<uint8_t>& bytes) {
    DWORD written = 0;
    return WriteFile(handle_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

bool ToolPort::WriteFrame(uint8_t command, uint8_t address, uint8_t value) {
    return WriteBytes({0x40, command, address, value});
}

int ToolPort::ReadByte(uint8_t* byte) {
    DWORD got = 0;
    if (!ReadFile(handle_.Get(), byte, 1, &got, nullptr)) {
        return -1;
    }
    return static_cast<int>(got);
}

bool ToolPort::SetReadTimeouts(DWORD interval, DWORD multiplier, DWORD constant) {
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(handle_.Get(), &timeouts)) {
        return false;
    }
    timeouts.ReadIntervalTimeout = interval;
    timeouts.ReadTotalTimeoutMultiplier = multiplier;
    timeouts.ReadTotalTimeoutConstant = constant;
    return SetCommTimeouts(handle_.Get(), &timeouts) != 0;
}
