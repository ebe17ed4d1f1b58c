#include "port_choice.h"

#include "command_line.h"
#include "port_discovery.h"
#include "serial_port.h"

std::optional<std::string> ChoosePortForCommand(const std::string& named, bool json) {
    if (!named.empty()) {
        return named;
    }
    std::vector<ChipPortInfo> ports = FindChipPorts();
    if (ports.size() == 1) {
        return ports.front().name;
    }
    std::string names;
    for (const ChipPortInfo& port : ports) {
        names += (names.empty() ? "" : ", ") + port.name;
    }
    WriteRefusal(json, ports.empty()
                           ? "no chip port found"
                           : "several chip ports (" + names + "): choose one with --port");
    return std::nullopt;
}

std::string OpenChipPort(const std::string& port, HANDLE& handle) {
    if (!OpenNamedPort(port.c_str(), handle)) {
        return "cannot open " + port + " (absent, or in use by another program)";
    }
    // A port named on the command line may belong to any driver: frames meant for the chip
    // must never reach another device.
    if (!IsDriverPort(handle)) {
        ClosePort(handle);
        return port + " is not a chip port";
    }
    return "";
}

bool OpenPortForCommand(const std::string& port, bool json, HANDLE& handle) {
    std::string error = OpenChipPort(port, handle);
    if (!error.empty()) {
        WriteRefusal(json, error);
        return false;
    }
    return true;
}
