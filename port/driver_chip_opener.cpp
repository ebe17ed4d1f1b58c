#include "driver_chip_opener.h"

#include "port_discovery.h"
#include "serial_port.h"

OwnedChipPort::~OwnedChipPort() {
    ClosePort(handle_);
}

std::unique_ptr<OwnedChipPort> OpenChipPort(const std::string& port, std::string& problem) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (!OpenNamedPort(port.c_str(), handle)) {
        problem = "cannot open " + port + " (absent, or in use by another program)";
        return nullptr;
    }
    // A port named on the command line may belong to any driver: frames meant for the chip
    // must never reach another device.
    if (!IsDriverPort(handle)) {
        ClosePort(handle);
        problem = port + " is not a chip port";
        return nullptr;
    }
    return std::make_unique<OwnedChipPort>(handle);
}
