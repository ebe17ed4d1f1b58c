#include "driver_chip_opener.h"

#include "port_discovery.h"
#include "serial_port.h"

Result<std::unique_ptr<OwnedChipPort>> OpenChipPort(const std::string& port) {
    win32::AutoCloseHandle handle;
    if (!OpenNamedPort(port.c_str(), handle)) {
        return Fail("cannot open " + port + " (absent, or in use by another program)");
    }
    // A port named on the command line may belong to any driver: frames meant for the chip
    // must never reach another device.
    if (!IsDriverPort(handle.Get())) {
        return Fail(port + " is not a chip port");
    }
    return std::make_unique<OwnedChipPort>(std::move(handle));
}
