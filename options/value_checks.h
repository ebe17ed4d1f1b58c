// The strict reading of option values. Each check returns "" for a value
// it accepts, or one line naming the value and what is wrong with it; the command line adds the
// option's name. Everything is checked before any port is opened.
#pragma once

#include <cstdint>
#include <string>

// VID and PID: 1 to 4 hexadecimal digits, optional 0x. 0000 and FFFF are refused: FFFF reads
// back as an erased chip, and 0000 is no vendor's or product's ID.
std::string CheckId(const std::string& text);
// The value of a text CheckId accepted.
uint16_t ParseId(const std::string& text);

// Serial: 1 to 8 characters, each 0x21-0x7E, so that it always reads back as present.
std::string CheckSerial(const std::string& text);

// First serial of a batch: a serial the batch's serial sequence can count up from.
std::string CheckSerialFrom(const std::string& text);

// A serial format (--serial-format): one that expands to exactly the chip's 8 characters, with
// one counter, known fields and a check character its alphabet can compute.
std::string CheckSerialFormat(const std::string& text);

// A fixed offset from UTC for a format's dates (--utc-offset): +HH:MM or -HH:MM.
std::string CheckUtcOffset(const std::string& text);

// Product string (UTF-8): 1 to 18 UTF-16 code units, any script, no control characters.
std::string CheckProduct(const std::string& text);

// A sequence's or a station's name: 1 to 64 characters, no control characters.
std::string CheckName(const std::string& text);

// A lease's size (--lease K) and its low-water mark (--lease-low L), as written: whole numbers,
// K from 1 to kLeaseMost, L from 0 to kLeaseMost. ParseLease gives the value of one accepted
// (and never throws for one that is not).
inline constexpr int kLeaseMost = 100000;
std::string CheckLease(const std::string& text);
std::string CheckLeaseLow(const std::string& text);
int ParseLease(const std::string& text);

// Port name: what a device path can hold, printable ASCII without path separators.
std::string CheckPortName(const std::string& text);
