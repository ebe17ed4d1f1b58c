// Windows' SHA-256: CNG's hash provider, whose handles the scoped owners close on every path.
#include <windows.h>

#include <bcrypt.h>

#include <cstdio>
#include <string>

#include "scoped_win.h"
#include "sha256.h"

namespace {

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

Unexpected<Error> Failed(const char* step, NTSTATUS status) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
    return Fail(std::string("SHA-256 failed in CNG: ") + step + " answered " + code);
}

}  // namespace

Result<Sha256Digest> Sha256(std::string_view bytes) {
    BCRYPT_ALG_HANDLE opened = nullptr;
    NTSTATUS status = BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    if (!Succeeded(status)) {
        return Failed("BCryptOpenAlgorithmProvider", status);
    }
    // Declared before the hash, so the hash is destroyed first.
    win32::ScopedAlgorithm algorithm(opened);
    // No object buffer of ours: since Windows 7 CNG allocates and frees the hash's own.
    BCRYPT_HASH_HANDLE created = nullptr;
    status = BCryptCreateHash(algorithm.Get(), &created, nullptr, 0, nullptr, 0, 0);
    if (!Succeeded(status)) {
        return Failed("BCryptCreateHash", status);
    }
    win32::ScopedHash hash(created);
    // CNG takes a ULONG length: larger inputs go in pieces.
    constexpr size_t kPiece = 1u << 30;
    for (size_t done = 0; done < bytes.size(); done += kPiece) {
        std::string_view piece = bytes.substr(done, kPiece);
        status =
            BCryptHashData(hash.Get(), reinterpret_cast<PUCHAR>(const_cast<char*>(piece.data())),
                           static_cast<ULONG>(piece.size()), 0);
        if (!Succeeded(status)) {
            return Failed("BCryptHashData", status);
        }
    }
    Sha256Digest digest{};
    status = BCryptFinishHash(hash.Get(), digest.data(), static_cast<ULONG>(digest.size()), 0);
    if (!Succeeded(status)) {
        return Failed("BCryptFinishHash", status);
    }
    return digest;
}
