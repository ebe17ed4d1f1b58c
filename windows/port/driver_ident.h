// The chip driver's identification query: GetCommProperties with these provider-specific values
// is answered with one of the signatures only by the chip maker's driver.
#pragma once

#include <cstdint>

inline constexpr uint32_t IDENT_REQUEST = 0x6B2D9A41;
inline constexpr uint32_t IDENT_SIGNATURE_A = 0x5A515523;
inline constexpr uint32_t IDENT_SIGNATURE_B = 0x5A515512;
inline constexpr uint16_t IDENT_PACKET_LENGTH = 64;
