// A record's and an identity's values as the console programmer prints them (UTF-8).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "chip_identity.h"
#include "config_record.h"

// Four upper-case hexadecimal digits, as the dialog shows an ID.
std::string HexId(uint16_t id);
// The bytes as upper-case hexadecimal, joined by separator.
std::string HexBytes(const std::vector<uint8_t>& bytes, const char* separator);

// What a read record holds, by the read rules: empty when the rule says absent. A serial byte
// outside ASCII stands for the character of the same number (Latin-1); the product string is the
// code units its length byte announces, an unpaired surrogate shown as U+FFFD.
std::optional<std::string> SerialOf(const ConfigRecord& record);
std::optional<std::string> ProductOf(const ConfigRecord& record);

// "VID 2E1B, PID 6C04, serial ZQ000001, product "usb2.0 serial"" for questions and messages.
std::string DescribeIdentity(const ChipIdentity& identity);
