// Opening the chosen port for one action, and closing it when the action's job ends.
#pragma once

#include <windows.h>

#include "port_list.h"

// Port set-up for the configuration frames.
inline constexpr DWORD PORT_QUEUE_SIZE = 8192;
inline constexpr DWORD PORT_BAUD = 300;

// Opens the selected entry of the list exclusively and sets it up (queues, time-outs, purge,
// 300 8N1). 1 and portHandle set on success; 0 and INVALID_HANDLE_VALUE when it cannot be opened.
int OpenSelectedPort(PortList& list, HANDLE& portHandle);

// Closes the port if one is open and leaves the slot at INVALID_HANDLE_VALUE.
void ClosePort(HANDLE& portHandle);
