#include "tool_port.h"

#include <cstring>

#include "driver_ident.h"

HANDLE OpenExclusive(const std::string& port) {
    return CreateFileA(("\\\\.\\" + port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

bool Identify(const std::string& port, DWORD* provSpec2) {
    HANDLE handle = OpenExclusive(port);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    COMMPROP prop{};
    prop.wPacketLength = IDENT_PACKET_LENGTH;
    prop.dwProvSpec1 = IDENT_REQUEST;
    prop.dwProvSpec2 = 0;
    bool answered = GetCommProperties(handle, &prop) != 0;
    CloseHandle(handle);
    *provSpec2 = prop.dwProvSpec2;
    return answered;
}

std::vector<std::string> ListedPorts() {
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return names;
    }
    for (DWORD index = 0;; index++) {
        char name[256];
        BYTE data[256];
        DWORD nameSize = sizeof(name);
        DWORD dataSize = sizeof(data) - 1;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS) {
            break;
        }
        data[dataSize] = 0;
        if (type == REG_SZ) {
            names.emplace_back(reinterpret_cast<char*>(data));
        }
    }
    RegCloseKey(key);
    return names;
}

ToolPort::ToolPort(const std::string& name) : handle_(INVALID_HANDLE_VALUE) {
    ready_ = OpenNamedPort(name.c_str(), handle_) == 1;
}

ToolPort::~ToolPort() {
    ClosePort(handle_);
}

bool ToolPort::writeBytes(const std::vector<uint8_t>& bytes) {
    DWORD written = 0;
    return WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool ToolPort::writeFrame(uint8_t command, uint8_t address, uint8_t value) {
    return writeBytes({0x40, command, address, value});
}

int ToolPort::readByte(uint8_t* byte) {
    DWORD got = 0;
    if (!ReadFile(handle_, byte, 1, &got, nullptr)) {
        return -1;
    }
    return static_cast<int>(got);
}

bool ToolPort::setReadTimeouts(DWORD interval, DWORD multiplier, DWORD constant) {
    COMMTIMEOUTS timeouts{};
    if (!GetCommTimeouts(handle_, &timeouts)) {
        return false;
    }
    timeouts.ReadIntervalTimeout = interval;
    timeouts.ReadTotalTimeoutMultiplier = multiplier;
    timeouts.ReadTotalTimeoutConstant = constant;
    return SetCommTimeouts(handle_, &timeouts) != 0;
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(Now().QuadPart - start.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}
