#include "sim_fixture.h"

#include "driver_ident.h"

bool Identify(const std::string& port, DWORD* provSpec2) {
    ToolPort opened(port);
    if (!opened.Ready()) {
        return false;
    }
    COMMPROP prop{};
    prop.wPacketLength = IDENT_PACKET_LENGTH;
    prop.dwProvSpec1 = IDENT_REQUEST;
    prop.dwProvSpec2 = 0;
    bool answered = GetCommProperties(opened.Handle(), &prop) != 0;
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
