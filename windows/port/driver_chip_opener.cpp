#include "driver_chip_opener.h"

#include "port_discovery.h"
#include "serial_port.h"

std::unique_ptr<OwnedChipPort> OpenChipPort(const std::string& port, std::string& problem) {
    win32::AutoCloseHandle handle;
    if (!OpenNamedPort(port.c_str(), handle)) {
        problem = "cannot open " + port + " (absent, or in use by another program)";
        return nullptr;
    }
    // A port named on the command line may belong to any driver: frames meant for the chip
    // must never reach another device.
    if (!IsDriverPort(handle.Get())) {
        problem = port + " is not a chip port";
        return nullptr;
    }
    return std::make_unique<OwnedChipPort>(std::move(handle));
}
