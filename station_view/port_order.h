// The order of a station's tiles: the port map's order. A tile stays in its place when its port
// leaves the map (a board unplugged), so the tiles never jump about under the operator's eyes.
#pragma once

#include <string>
#include <vector>

// known: the tiles' ports in their order; map: the port map's ports now, in its order. Returns
// known with every port of map it lacks put in, each right after the nearest port before it in
// the map that known holds (first when there is none).
std::vector<std::string> MergePortOrder(const std::vector<std::string>& known,
                                        const std::vector<std::string>& map);
