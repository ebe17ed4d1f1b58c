#include "port_order.h"

#include <algorithm>

#include "port_name.h"

std::vector<std::string> MergePortOrder(const std::vector<std::string>& known,
                                        const std::vector<std::string>& map) {
    std::vector<std::string> order = known;
    for (size_t i = 0; i < map.size(); i++) {
        if (HasPort(order, map[i])) {
            continue;
        }
        auto place = order.begin();
        for (size_t before = i; before-- > 0;) {
            auto found = std::find_if(order.begin(), order.end(), [&](const std::string& port) {
                return SamePort(port, map[before]);
            });
            if (found != order.end()) {
                place = found + 1;
                break;
            }
        }
        order.insert(place, map[i]);
    }
    return order;
}
