#include <cstdio>

#include "command_failure.h"
#include "command_options.h"
#include "commands.h"
#include "json_line.h"
#include "exit_codes.h"
#include "port_discovery.h"

namespace {

std::string Signature(uint32_t signature) {
    char text[12];
    std::snprintf(text, sizeof(text), "%08X", static_cast<unsigned>(signature));
    return text;
}

}  // namespace

void AddListOptions(CLI::App& command, CommandLine& line) {
    AddJsonFlag(command, line);
}

int RunList(const CommandLine& line) {
    // The same walk and identification query the dialog fills its port list with.
    std::vector<ChipPortInfo> ports = FindChipPorts();
    for (const ChipPortInfo& port : ports) {
        if (line.json) {
            nlohmann::ordered_json entry = {{"port", port.name},
                                            {"signature", Signature(port.signature)}};
            WriteJsonLine(entry);
        } else {
            WriteLine(Stream::Out, port.name + "  " + Signature(port.signature));
        }
    }
    if (ports.empty()) {
        throw CommandFailure{EXIT_NO_PORT, "no chip port found"};
    }
    return EXIT_DONE;
}
