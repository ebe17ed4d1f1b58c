// Finding the chip's ports among all serial ports, and following arrivals and removals.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "port_list.h"

inline constexpr const char* SERIAL_PORT_MAP_KEY = "HARDWARE\\DEVICEMAP\\SERIALCOMM\\";

// 1 and the signature when the handle's driver answers the identification query with a chip
// signature; 0 otherwise.
int QueryDriverSignature(HANDLE handle, uint32_t& signature);
// 1 when the handle's driver answers the identification query with a chip signature.
int IsDriverPort(HANDLE handle);

// 1 and the signature when the named port opens (shared) and belongs to the chip's driver.
int ProbePortSignature(const char* name, uint32_t& signature);
// 1 when the named port opens (shared) and belongs to the chip's driver.
int ProbePort(const char* name);

struct ChipPortInfo {
    std::string name;
    uint32_t signature;
};

// Every port name of a serial-port map, in the map's order, chip or not. Entries too long for
// the walk's 32-byte buffers are skipped, and the walk ends even when the key goes away under it.
std::vector<std::string> ListSerialPorts(HKEY root = HKEY_LOCAL_MACHINE,
                                         const char* keyPath = SERIAL_PORT_MAP_KEY);

// The chip ports of a serial-port map, in the map's order: the walk the port list is filled by.
std::vector<ChipPortInfo> FindChipPorts(HKEY root = HKEY_LOCAL_MACHINE,
                                        const char* keyPath = SERIAL_PORT_MAP_KEY);

// Fills the list with the chip ports of the system's serial-port map, in the map's order, and
// selects the first.
void EnumeratePorts(PortList& list);
// The same over any key, so odd registries can be tested.
void EnumeratePortsUnder(HKEY root, const char* keyPath, PortList& list);

// A WM_DEVICECHANGE: a probed chip port's arrival is appended (and selected when it is the only
// entry); a removal deletes the entry whose name equals the port's. Other events change nothing.
void HandlePortChange(WPARAM event, LPARAM data, PortList& list);
