// A port arrival or removal as WM_DEVICECHANGE carries it: a DEV_BROADCAST_PORT_A whose record
// ends with the name's terminator.
#pragma once

#include <windows.h>

#include <dbt.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

// declaredSize 0: the record's true size; another value is written as the size instead.
inline std::vector<char> PortNotification(const std::string& name,
                                          DWORD deviceType = DBT_DEVTYP_PORT,
                                          size_t declaredSize = 0) {
    size_t nameOffset = offsetof(DEV_BROADCAST_PORT_A, dbcp_name);
    // Never shorter than the structure, so every field written below is inside the buffer.
    std::vector<char> buffer(sizeof(DEV_BROADCAST_PORT_A) + name.size() + 1, '\0');
    auto* port = reinterpret_cast<DEV_BROADCAST_PORT_A*>(buffer.data());
    port->dbcp_size =
        static_cast<DWORD>(declaredSize ? declaredSize : nameOffset + name.size() + 1);
    port->dbcp_devicetype = deviceType;
    std::memcpy(buffer.data() + nameOffset, name.c_str(), name.size() + 1);
    return buffer;
}
