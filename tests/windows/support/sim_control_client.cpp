#include "sim_control_client.h"

#include <cstring>

namespace {

ZqSimRequest MakeRequest(const std::string& port, unsigned value) {
    ZqSimRequest request{};
    std::strncpy(request.port, port.c_str(), ZQSIM_NAME_SIZE - 1);
    request.value = value;
    return request;
}

}  // namespace

SimControl::SimControl()
    : handle_(CreateFileA(ZQSIM_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)) {
}

SimControl::~SimControl() {
    if (IsOpen()) {
        CloseHandle(handle_);
    }
}

bool SimControl::Request(DWORD code, const std::string& port, unsigned value) {
    ZqSimRequest request = MakeRequest(port, value);
    DWORD returned = 0;
    return DeviceIoControl(handle_, code, &request, sizeof(request), nullptr, 0, &returned,
                           nullptr) != 0;
}

bool SimControl::Get(DWORD code, const std::string& port, void* out, DWORD size) {
    ZqSimRequest request = MakeRequest(port, 0);
    DWORD returned = 0;
    return DeviceIoControl(handle_, code, &request, sizeof(request), out, size, &returned,
                           nullptr) != 0 &&
           returned == size;
}

bool SimControl::SetMemory(const std::string& port, unsigned address,
                           const std::vector<uint8_t>& bytes) {
    ZqSimMemoryWrite request{};
    std::strncpy(request.port, port.c_str(), ZQSIM_NAME_SIZE - 1);
    request.address = address;
    request.count = static_cast<unsigned>(bytes.size());
    std::memcpy(request.bytes, bytes.data(),
                bytes.size() < sizeof(request.bytes) ? bytes.size() : sizeof(request.bytes));
    DWORD returned = 0;
    return DeviceIoControl(handle_, ZQSIM_IOCTL_SET_MEMORY, &request, sizeof(request), nullptr, 0,
                           &returned, nullptr) != 0;
}

std::vector<uint8_t> SimControl::Memory(const std::string& port) {
    ZqSimMemory memory{};
    if (!Get(ZQSIM_IOCTL_GET_MEMORY, port, &memory, sizeof(memory))) {
        return {};
    }
    return std::vector<uint8_t>(memory.bytes, memory.bytes + ZQSIM_MEMORY_SIZE);
}

std::vector<ZqSimLogEntry> SimControl::Log(const std::string& port, unsigned* total) {
    std::vector<ZqSimLog> holder(1);  // 4 KB: keep it off the stack
    if (!Get(ZQSIM_IOCTL_GET_LOG, port, holder.data(), sizeof(ZqSimLog))) {
        return {};
    }
    if (total != nullptr) {
        *total = holder[0].total;
    }
    return std::vector<ZqSimLogEntry>(holder[0].entries, holder[0].entries + holder[0].count);
}

ZqSimCounters SimControl::Counters(const std::string& port) {
    ZqSimCounters counters{};
    Get(ZQSIM_IOCTL_GET_COUNTERS, port, &counters, sizeof(counters));
    return counters;
}

ZqSimPortState SimControl::State(const std::string& port) {
    ZqSimPortState state{};
    Get(ZQSIM_IOCTL_GET_STATE, port, &state, sizeof(state));
    return state;
}

ZqSimPortList SimControl::Ports() {
    ZqSimPortList list{};
    DWORD returned = 0;
    DeviceIoControl(handle_, ZQSIM_IOCTL_LIST_PORTS, nullptr, 0, &list, sizeof(list), &returned,
                    nullptr);
    return list;
}

bool SimControl::Reset(const std::string& port) {
    bool ok = Restore(port);
    ok = Release(port) && ok;
    ok = Fill(port, 0xFF) && ok;
    ok = AnswerAgain(port) && ok;
    ok = SetDelay(port, 0) && ok;
    ok = Request(ZQSIM_IOCTL_SET_WIRE, port, 0) && ok;
    return Clear(port) && ok;
}

bool SimControl::ResetDefaultPorts() {
    bool ok = true;
    for (const char* port : kDefaultPorts) {
        ok = Reset(port) && ok;
    }
    return ok;
}
