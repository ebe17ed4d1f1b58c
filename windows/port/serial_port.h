// Opening the chosen port for one action, and closing it when the action's job ends.
#pragma once

#include <windows.h>

#include "port_list.h"
#include "scoped_win.h"

// Port set-up for the configuration frames.
inline constexpr DWORD PORT_QUEUE_SIZE = 8192;
inline constexpr DWORD PORT_BAUD = 300;
// Time-outs in ms. They bound every call: a 1-byte read waits at most 100 + 1000 ms, a 4-byte
// frame write at most 4 x 50 + 500 ms.
inline constexpr DWORD PORT_READ_INTERVAL_TIMEOUT = 0;
inline constexpr DWORD PORT_READ_TOTAL_MULTIPLIER = 100;
inline constexpr DWORD PORT_READ_TOTAL_CONSTANT = 1000;
inline constexpr DWORD PORT_WRITE_TOTAL_MULTIPLIER = 50;
inline constexpr DWORD PORT_WRITE_TOTAL_CONSTANT = 500;

// Opens the selected entry of the list exclusively and sets it up (queues, time-outs, purge,
// 300 8N1). 1 and the port in portHandle on success; 0 and an empty portHandle when it cannot be
// opened. The port closes when portHandle is reset or goes out of scope.
int OpenSelectedPort(PortList& list, win32::AutoCloseHandle& portHandle);

// The same for a port known by name, e.g. from the command line. A null name or one that does
// not fit a device path opens nothing.
int OpenNamedPort(const char* name, win32::AutoCloseHandle& portHandle);
