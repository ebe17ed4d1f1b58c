// SHA-256 from the system's own cryptography: CNG on Windows, OpenSSL's libcrypto on the host.
// One interface, the implementation chosen by the build; never a hash of our own.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "result.h"

using Sha256Digest = std::array<uint8_t, 32>;

// The digest of bytes; an error only when the system's provider fails.
Result<Sha256Digest> Sha256(std::string_view bytes);
