#include "port_watch.h"

#include "port_discovery.h"
#include "port_name.h"

PortWatch::PortWatch() : changed_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SERIAL_PORT_MAP_KEY, 0, KEY_READ | KEY_NOTIFY, &key) ==
        ERROR_SUCCESS) {
        key_.Reset(key);
    }
    Arm();
}

void PortWatch::Arm() {
    if (key_ && changed_) {
        RegNotifyChangeKeyValue(key_.Get(), FALSE,
                                REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, changed_.Get(),
                                TRUE);
    }
}

std::vector<std::string> PortWatch::Arrivals() {
    return Look().arrivals;
}

PortWatch::Changes PortWatch::Look() {
    std::vector<std::string> now = ListSerialPorts();
    Changes changes;
    for (const std::string& name : now) {
        if (!HasPort(map_, name)) {
            changes.arrivals.push_back(name);
        }
    }
    for (const std::string& name : map_) {
        if (!HasPort(now, name)) {
            changes.removals.push_back(name);
        }
    }
    map_ = std::move(now);
    return changes;
}

void PortWatch::Wait(HANDLE stop, DWORD pollMs) {
    HANDLE events[] = {stop, changed_.Get()};
    DWORD count = changed_ ? 2 : 1;
    DWORD woken = WaitForMultipleObjects(count, events, FALSE, pollMs);
    if (woken == WAIT_OBJECT_0 + 1) {
        // Armed again before the map is read, so a change during the read is not lost.
        Arm();
    }
}
