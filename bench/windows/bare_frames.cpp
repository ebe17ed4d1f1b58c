// The yardstick for zq61prog's timings: a bare console program that opens a chip port the way
// zq61prog does (exclusively, set up alike, the driver's identification asked) and sends the
// same frames in a plain loop, nothing else.
// Usage: bare_frames read|write <port>
#include <windows.h>

#include <cstring>

#include "plain_frames.h"
#include "port_discovery.h"
#include "serial_port.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    win32::AutoCloseHandle port;
    if (!OpenNamedPort(argv[2], port) || !IsDriverPort(port.Get())) {
        return 2;
    }
    bool write = std::strcmp(argv[1], "write") == 0;
    bool ok = write ? WriteAll(port.Get()) && ReadAll(port.Get()) : ReadAll(port.Get());
    return ok ? 0 : 3;
}
