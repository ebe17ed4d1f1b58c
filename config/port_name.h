// Whether two port names name one port. Windows does not tell case apart in a device's name
// (COM3, com3 and Com3 open the same port), so neither does any comparison of ports here: the
// --ports a batch or an audit station takes, the port map's arrivals and removals, a station's
// tiles and the dialog's list all compare through this one function.
#pragma once

#include <algorithm>
#include <string_view>

// A port's device path is "\\.\" + its name + NUL in a buffer of PORT_PATH_SIZE bytes; a name
// longer than PORT_NAME_MAX is refused wherever one is read (an option, a discovered port).
inline constexpr int PORT_PATH_SIZE = 64;
inline constexpr int PORT_NAME_MAX = PORT_PATH_SIZE - 5;  // behind "\\.\" and before the NUL

// Equal but for the case of ASCII letters (a port's name is ASCII: COM3, \\.\COM10, CNCA0).
bool SamePort(std::string_view a, std::string_view b);

// Whether ports holds a name for port.
template <typename Ports>
bool HasPort(const Ports& ports, std::string_view port) {
    return std::any_of(ports.begin(), ports.end(),
                       [&](const auto& name) { return SamePort(name, port); });
}
