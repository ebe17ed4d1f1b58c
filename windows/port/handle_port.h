// The frame protocol's port over an open Win32 serial handle: synchronous WriteFile / ReadFile.
#pragma once

#include <windows.h>

#include "byte_port.h"

class HandlePort : public BytePort {
public:
    explicit HandlePort(HANDLE handle) : handle_(handle) {}
    bool WriteBytes(const uint8_t* bytes, uint32_t count, uint32_t* written) override;
    bool ReadBytes(uint8_t* dest, uint32_t count, uint32_t* read) override;

private:
    HANDLE handle_;
};
