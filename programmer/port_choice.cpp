#include "port_choice.h"

#include "command_line.h"
#include "exit_codes.h"
#include "port_discovery.h"
#include "serial_port.h"

PortChoice ChoosePort(const std::string& named) {
    PortChoice choice;
    if (!named.empty()) {
        choice.port = named;
        return choice;
    }
    std::vector<ChipPortInfo> ports = FindChipPorts();
    if (ports.size() == 1) {
        choice.port = ports.front().name;
        return choice;
    }
    choice.exitCode = EXIT_NO_PORT;
    if (ports.empty()) {
        choice.error = "no chip port found";
        return choice;
    }
    std::string names;
    for (const ChipPortInfo& port : ports) {
        names += (names.empty() ? "" : ", ") + port.name;
    }
    choice.error = "several chip ports (" + names + "): choose one with --port";
    return choice;
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

std::optional<std::string> ChoosePortForCommand(const std::string& named, bool json,
                                                int& exitCode) {
    PortChoice choice = ChoosePort(named);
    if (!choice.error.empty()) {
        WriteRefusal(json, choice.error);
        exitCode = choice.exitCode;
        return std::nullopt;
    }
    return choice.port;
}

bool OpenPortForCommand(const std::string& port, bool json, HANDLE& handle) {
    std::string error = OpenChipPort(port, handle);
    if (!error.empty()) {
        WriteRefusal(json, error);
        return false;
    }
    return true;
}
