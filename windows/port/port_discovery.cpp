#include "port_discovery.h"

#include <dbt.h>

#include <cstddef>
#include <cstring>

#include "driver_ident.h"
#include "port_entry.h"
#include "port_name.h"
#include "port_path.h"
#include "scoped_win.h"

namespace {

constexpr int REGISTRY_BUFFER = 32;
// A walk gives up after this many failures in a row other than "no more items" and "entry too
// long", e.g. when the key is deleted under it, so it always ends.
constexpr int MAX_FAILURES_IN_A_ROW = 3;

// The port name of a port notification, or null when it is not a complete, terminated name
// that fits a device path.
const char* NotifiedPortName(LPARAM data) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_PORT) {
        return nullptr;
    }
    const auto* port = reinterpret_cast<const DEV_BROADCAST_PORT_A*>(header);
    size_t nameOffset = offsetof(DEV_BROADCAST_PORT_A, dbcp_name);
    if (header->dbch_size <= nameOffset) {
        return nullptr;
    }
    size_t room = header->dbch_size - nameOffset;
    size_t length = strnlen(port->dbcp_name, room);
    if (length == room || length > PORT_NAME_MAX) {
        return nullptr;
    }
    return port->dbcp_name;
}

// Removal deletes only the entry that is exactly the removed port: a prefix match would take
// COM10 away when COM1 leaves.
int FindExactName(PortList& list, const char* name) {
    int count = list.Count();
    for (int i = 0; i < count; i++) {
        char entry[PORT_NAME_MAX + 1];
        if (GetEntryName(list, i, entry) && SamePort(entry, name)) {
            return i;
        }
    }
    return -1;
}

}  // namespace

int QueryDriverSignature(HANDLE handle, uint32_t& signature) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return 0;
    }
    COMMPROP properties = {};
    properties.wPacketLength = IDENT_PACKET_LENGTH;
    properties.dwProvSpec1 = IDENT_REQUEST;
    properties.dwProvSpec2 = 0;
    if (!GetCommProperties(handle, &properties)) {
        return 0;
    }
    if (properties.dwProvSpec2 != IDENT_SIGNATURE_A &&
        properties.dwProvSpec2 != IDENT_SIGNATURE_B) {
        return 0;
    }
    signature = properties.dwProvSpec2;
    return 1;
}

int IsDriverPort(HANDLE handle) {
    uint32_t signature = 0;
    return QueryDriverSignature(handle, signature);
}

int ProbePort(const char* name) {
    uint32_t signature = 0;
    return ProbePortSignature(name, signature);
}

int ProbePortSignature(const char* name, uint32_t& signature) {
    char path[PORT_PATH_SIZE];
    if (!BuildPortPath(name, path)) {
        return 0;
    }
    // Shared, so probing a port never gets in the way of whoever else has it open.
    win32::AutoCloseHandle handle(CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle) {
        return 0;
    }
    return QueryDriverSignature(handle.Get(), signature);
}

std::vector<std::string> ListSerialPorts(HKEY root, const char* keyPath) {
    std::vector<std::string> ports;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return ports;
    }
    win32::ScopedRegKey key(opened);
    int failuresInARow = 0;
    for (DWORD index = 0; failuresInARow < MAX_FAILURES_IN_A_ROW; index++) {
        char name[REGISTRY_BUFFER];
        BYTE data[REGISTRY_BUFFER + 1] = {};
        DWORD nameSize = REGISTRY_BUFFER;
        DWORD dataSize = REGISTRY_BUFFER;
        LONG result =
            RegEnumValueA(key.Get(), index, name, &nameSize, nullptr, nullptr, data, &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (result == ERROR_MORE_DATA) {
            // A name or port name longer than the buffers: no port of ours, skip it.
            failuresInARow = 0;
            continue;
        }
        if (result != ERROR_SUCCESS) {
            failuresInARow++;
            continue;
        }
        failuresInARow = 0;
        // The data need not be terminated; the extra byte terminates it.
        data[dataSize < REGISTRY_BUFFER ? dataSize : REGISTRY_BUFFER] = '\0';
        ports.emplace_back(reinterpret_cast<const char*>(data));
    }
    return ports;
}

std::vector<ChipPortInfo> FindChipPorts(HKEY root, const char* keyPath) {
    std::vector<ChipPortInfo> ports;
    for (const std::string& name : ListSerialPorts(root, keyPath)) {
        uint32_t signature = 0;
        if (ProbePortSignature(name.c_str(), signature)) {
            ports.push_back({name, signature});
        }
    }
    return ports;
}

void EnumeratePortsUnder(HKEY root, const char* keyPath, PortList& list) {
    for (const ChipPortInfo& port : FindChipPorts(root, keyPath)) {
        list.Add(port.name.c_str());
    }
    if (list.Count() > 0) {
        list.Select(0);
    }
}

void EnumeratePorts(PortList& list) {
    EnumeratePortsUnder(HKEY_LOCAL_MACHINE, SERIAL_PORT_MAP_KEY, list);
}

void HandlePortChange(WPARAM event, LPARAM data, PortList& list) {
    // The system broadcasts these when a board is plugged or unplugged.
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) {
        return;
    }
    const char* name = NotifiedPortName(data);
    if (name == nullptr) {
        return;
    }
    if (event == DBT_DEVICEARRIVAL) {
        if (ProbePort(name)) {
            list.Add(name);
            if (list.Count() == 1) {
                list.Select(0);
            }
        }
        return;
    }
    int index = FindExactName(list, name);
    if (index >= 0) {
        list.Delete(index);
    }
}
