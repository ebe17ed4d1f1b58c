#include "sim_control_client.h"

#include <cstring>

SimControl::SimControl() {
    device_ = CreateFileA(ZQSIM_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

SimControl::~SimControl() {
    if (device_ != INVALID_HANDLE_VALUE) {
        CloseHandle(device_);
    }
}

bool SimControl::Request(DWORD code, const std::string& port, unsigned value, void* out,
                         DWORD outSize) {
    ZqSimRequest request = {};
    std::strncpy(request.port, port.c_str(), sizeof(request.port) - 1);
    request.value = value;
    DWORD returned = 0;
    return DeviceIoControl(device_, code, &request, sizeof(request), out, outSize, &returned,
                           nullptr) != FALSE;
}

std::array<uint8_t, ZQSIM_MEMORY_SIZE> SimControl::Memory(const std::string& port) {
    ZqSimMemory memory = {};
    std::array<uint8_t, ZQSIM_MEMORY_SIZE> bytes = {};
    if (Request(ZQSIM_IOCTL_GET_MEMORY, port, 0, &memory, sizeof(memory))) {
        std::memcpy(bytes.data(), memory.bytes, bytes.size());
    }
    return bytes;
}

bool SimControl::SetMemory(const std::string& port,
                           const std::array<uint8_t, ZQSIM_MEMORY_SIZE>& bytes) {
    ZqSimMemoryWrite write = {};
    std::strncpy(write.port, port.c_str(), sizeof(write.port) - 1);
    write.address = 0;
    write.count = ZQSIM_MEMORY_SIZE;
    std::memcpy(write.bytes, bytes.data(), bytes.size());
    DWORD returned = 0;
    return DeviceIoControl(device_, ZQSIM_IOCTL_SET_MEMORY, &write, sizeof(write), nullptr, 0,
                           &returned, nullptr) != FALSE;
}

bool SimControl::Fill(const std::string& port, uint8_t value) {
    return Request(ZQSIM_IOCTL_FILL_MEMORY, port, value);
}

bool SimControl::MuteAfter(const std::string& port, unsigned frames) {
    return Request(ZQSIM_IOCTL_MUTE, port, frames);
}

std::vector<ZqSimLogEntry> SimControl::Log(const std::string& port) {
    auto log = std::make_unique<ZqSimLog>();
    std::vector<ZqSimLogEntry> entries;
    if (Request(ZQSIM_IOCTL_GET_LOG, port, 0, log.get(), sizeof(ZqSimLog))) {
        entries.assign(log->entries, log->entries + log->count);
    }
    return entries;
}

ZqSimCounters SimControl::Counters(const std::string& port) {
    ZqSimCounters counters = {};
    Request(ZQSIM_IOCTL_GET_COUNTERS, port, 0, &counters, sizeof(counters));
    return counters;
}

ZqSimPortState SimControl::State(const std::string& port) {
    ZqSimPortState state = {};
    Request(ZQSIM_IOCTL_GET_STATE, port, 0, &state, sizeof(state));
    return state;
}

bool SimControl::Clear(const std::string& port) {
    return Request(ZQSIM_IOCTL_CLEAR, port, 0);
}
bool SimControl::Remove(const std::string& port) {
    return Request(ZQSIM_IOCTL_REMOVE_PORT, port, 0);
}
bool SimControl::Restore(const std::string& port) {
    return Request(ZQSIM_IOCTL_RESTORE_PORT, port, 0);
}
bool SimControl::Hold(const std::string& port) {
    return Request(ZQSIM_IOCTL_HOLD_PORT, port, 0);
}
bool SimControl::Release(const std::string& port) {
    return Request(ZQSIM_IOCTL_RELEASE_PORT, port, 0);
}
bool SimControl::AddPort(const std::string& port, unsigned kind) {
    return Request(ZQSIM_IOCTL_ADD_PORT, port, kind);
}
bool SimControl::SetDelay(const std::string& port, unsigned micros) {
    return Request(ZQSIM_IOCTL_SET_DELAY, port, micros);
}

ZqSimPortList SimControl::Ports() {
    ZqSimPortList list = {};
    DWORD returned = 0;
    DeviceIoControl(device_, ZQSIM_IOCTL_LIST_PORTS, nullptr, 0, &list, sizeof(list), &returned,
                    nullptr);
    return list;
}

bool SimControl::Reset(const std::string& port) {
    return AnswerAgain(port) && Fill(port, 0xFF) && Clear(port) && SetDelay(port, 0);
}
