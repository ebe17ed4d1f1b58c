#include "port_choice.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "port_discovery.h"

std::string ChoosePortForCommand(const std::string& named) {
    if (!named.empty()) {
        return named;
    }
    std::vector<ChipPortInfo> ports = FindChipPorts();
    if (ports.size() == 1) {
        return ports.front().name;
    }
    if (ports.empty()) {
        throw CommandFailure{EXIT_NO_PORT, "no chip port found"};
    }
    std::string names;
    for (const ChipPortInfo& port : ports) {
        names += (names.empty() ? "" : ", ") + port.name;
    }
    throw CommandFailure{EXIT_NO_PORT,
                         "several chip ports (" + names + "): choose one with --port"};
}
