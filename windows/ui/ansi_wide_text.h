// Texts for the wide-character calls: Chinese shown through them reads right whatever the
// system's ANSI code page is.
#pragma once

#include <cstdint>
#include <string>

// An ANSI (CP_ACP) text as UTF-16; a text that does not convert gives "".
std::wstring WidenAnsi(const char* text);

// "0x" and the ID's four upper-case hexadecimal digits.
std::wstring WideHexId(uint16_t id);
