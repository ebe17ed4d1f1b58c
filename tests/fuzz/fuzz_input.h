// What the fuzz targets share: a property check, and the input split into the pieces a target
// needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

// A property every input must keep: a broken one aborts, which the fuzzer reports with the input.
inline void Check(bool condition) {
    if (!condition)
        std::abort();
}

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    // A piece of up to maxLength bytes, its length taken from the input.
    std::string Text(size_t maxLength) {
        size_t length = Byte() % (maxLength + 1);
        std::string text;
        while (text.size() < length && pos_ < size_)
            text.push_back(static_cast<char>(data_[pos_++]));
        return text;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
