// A port that passes everything through and keeps every byte the chip answered, in order: after
// a whole read, the chip's bytes exactly as the read frames brought them.
#pragma once

#include <vector>

#include "byte_port.h"

class ReplyCapturePort : public BytePort {
public:
    explicit ReplyCapturePort(BytePort& inner) : inner_(inner) {}
    bool WriteBytes(const uint8_t* bytes, uint32_t count, uint32_t* written) override {
        return inner_.WriteBytes(bytes, count, written);
    }
    bool ReadBytes(uint8_t* dest, uint32_t count, uint32_t* read) override {
        bool ok = inner_.ReadBytes(dest, count, read);
        if (ok) {
            replies_.insert(replies_.end(), dest, dest + *read);
        }
        return ok;
    }
    const std::vector<uint8_t>& Replies() const { return replies_; }

private:
    BytePort& inner_;
    std::vector<uint8_t> replies_;
};
