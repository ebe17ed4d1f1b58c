#include "handle_port.h"

// The port is opened without FILE_FLAG_OVERLAPPED, so both calls are synchronous and bounded by
// the port's time-outs.
bool HandlePort::WriteBytes(const uint8_t* bytes, uint32_t count, uint32_t* written) {
    DWORD done = 0;
    BOOL ok = WriteFile(handle_, bytes, count, &done, nullptr);
    *written = done;
    return ok != FALSE;
}

bool HandlePort::ReadBytes(uint8_t* dest, uint32_t count, uint32_t* read) {
    DWORD done = 0;
    BOOL ok = ReadFile(handle_, dest, count, &done, nullptr);
    *read = done;
    return ok != FALSE;
}
