// One JSON object on one line of standard output (JSON Lines, UTF-8). Text that is not valid
// UTF-8, such as a port name in another code page, is replaced rather than aborting the output.
#pragma once

#include <nlohmann/json.hpp>

#include "console_output.h"

inline void WriteJsonLine(const nlohmann::ordered_json& object) {
    WriteLine(Stream::Out,
              object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
}
