// How a program reaches a chip by its port's name: the port layer opens the port, checked to be a
// chip's, and it closes when the caller lets go of it. A test opens an in-process chip instead.
#pragma once

#include <memory>
#include <string>

#include "byte_port.h"

class ChipOpener {
public:
    virtual ~ChipOpener() = default;
    // The open port, or null with why not in problem.
    virtual std::unique_ptr<BytePort> Open(const std::string& port, std::string& problem) = 0;
};
