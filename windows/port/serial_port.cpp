#include "serial_port.h"

#include "port_entry.h"
#include "port_path.h"

int OpenSelectedPort(PortList& list, win32::AutoCloseHandle& portHandle) {
    // With no selection, or a name that could not fit, the path stays the bare prefix, which no
    // port answers to.
    char name[PORT_NAME_MAX + 1] = {};
    int selection = list.Selection();
    if (selection >= 0) {
        GetEntryName(list, selection, name);
    }
    return OpenNamedPort(name, portHandle);
}

int OpenNamedPort(const char* name, win32::AutoCloseHandle& portHandle) {
    char path[PORT_PATH_SIZE];
    BuildPortPath(name, path);
    // Share mode 0: nobody else may talk to the chip while an action runs; a second program's
    // open is refused with ERROR_ACCESS_DENIED. Flags 0: all I/O is synchronous, paced only by
    // the time-outs.
    portHandle.Reset(
        CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!portHandle) {
        return 0;
    }
    HANDLE port = portHandle.Get();
    SetupComm(port, PORT_QUEUE_SIZE, PORT_QUEUE_SIZE);

    COMMTIMEOUTS timeouts = {};
    GetCommTimeouts(port, &timeouts);
    timeouts.ReadIntervalTimeout = PORT_READ_INTERVAL_TIMEOUT;
    timeouts.ReadTotalTimeoutMultiplier = PORT_READ_TOTAL_MULTIPLIER;
    timeouts.ReadTotalTimeoutConstant = PORT_READ_TOTAL_CONSTANT;
    timeouts.WriteTotalTimeoutMultiplier = PORT_WRITE_TOTAL_MULTIPLIER;
    timeouts.WriteTotalTimeoutConstant = PORT_WRITE_TOTAL_CONSTANT;
    // The time-outs are what bound every later call: a port that refuses them could leave a
    // read of an unanswered frame waiting for ever, so such a port counts as not opened.
    if (!SetCommTimeouts(port, &timeouts)) {
        portHandle.Reset();
        return 0;
    }

    PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);

    DCB dcb = {};
    dcb.DCBlength = sizeof(dcb);
    GetCommState(port, &dcb);
    // Only the line settings change; everything else stays as the driver reported it.
    dcb.BaudRate = PORT_BAUD;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    SetCommState(port, &dcb);
    return 1;
}
