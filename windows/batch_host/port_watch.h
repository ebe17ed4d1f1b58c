// Follows the system's serial-port map for a batch: which ports have appeared (and left) since
// the last look. A process without a window gets no port broadcasts, so the map itself is
// watched: a change notification on its key, and a short poll besides, since one notification
// may stand for several changes and a missed one must not cost a board.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "scoped_win.h"

class PortWatch {
public:
    PortWatch();

    // The ports in the map now that were not there at the last call (at the first call: every
    // port in the map). A port that leaves and comes back appears again.
    std::vector<std::string> Arrivals();
    // The same look, with the ports that left the map since the last one.
    struct Changes {
        std::vector<std::string> arrivals;
        std::vector<std::string> removals;
    };
    Changes Look();
    // The map's ports at the last look, in the map's order.
    const std::vector<std::string>& Map() const { return map_; }
    // Waits until the map may have changed, stop is signalled, or pollMs pass.
    void Wait(HANDLE stop, DWORD pollMs);

private:
    void Arm();
    win32::ScopedRegKey key_;
    win32::AutoCloseHandle changed_;
    std::vector<std::string> map_;  // the ports present at the last look
};
