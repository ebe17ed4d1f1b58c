// How a program reaches a chip by its port's name: the port layer opens the port, checked to be a
// chip's, and it closes when the caller lets go of it. A test opens an in-process chip instead.
#pragma once

#include <memory>
#include <string>

#include "byte_port.h"
#include "result.h"

class ChipOpener {
public:
    virtual ~ChipOpener() = default;
    // The open port, or why not.
    virtual Result<std::unique_ptr<BytePort>> Open(const std::string& port) = 0;
};
