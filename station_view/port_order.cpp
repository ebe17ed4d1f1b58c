#include "port_order.h"

#include <algorithm>

std::vector<std::string> MergePortOrder(const std::vector<std::string>& known,
                                        const std::vector<std::string>& map) {
    std::vector<std::string> order = known;
    for (size_t i = 0; i < map.size(); i++) {
        if (std::find(order.begin(), order.end(), map[i]) != order.end()) {
            continue;
        }
        auto place = order.begin();
        for (size_t before = i; before-- > 0;) {
            auto found = std::find(order.begin(), order.end(), map[before]);
            if (found != order.end()) {
                place = found + 1;
                break;
            }
        }
        order.insert(place, map[i]);
    }
    return order;
}
