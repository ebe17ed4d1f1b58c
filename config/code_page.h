// Conversion between the system's ANSI code page and UTF-16, with the contract of
// MultiByteToWideChar / WideCharToMultiByte (CP_ACP, no flags): both return the number of units
// or bytes written, or 0 on failure, including an output buffer that is too small. Neither
// adds a terminator that is not in the input.
#pragma once

#include <cstdint>

class CodePage {
public:
    virtual ~CodePage() = default;
    virtual int ToWide(const char* text, int length, uint16_t* units, int unitCapacity) = 0;
    virtual int ToAnsi(const uint16_t* units, int count, char* bytes, int byteCapacity) = 0;
};
