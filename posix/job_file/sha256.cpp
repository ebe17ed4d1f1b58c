// The host's SHA-256: OpenSSL's EVP interface, the one the library keeps for new code.
#include <openssl/evp.h>

#include <memory>

#include "sha256.h"

Result<Sha256Digest> Sha256(std::string_view bytes) {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                    EVP_MD_CTX_free);
    Sha256Digest digest{};
    unsigned int length = 0;
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1 ||
        EVP_DigestUpdate(context.get(), bytes.data(), bytes.size()) != 1 ||
        EVP_DigestFinal_ex(context.get(), digest.data(), &length) != 1 || length != digest.size()) {
        return Fail("SHA-256 failed in libcrypto");
    }
    return digest;
}
