#include "job_id.h"

#include "sha256.h"

Result<std::string> JobId(std::string_view bytes) {
    Result<Sha256Digest> digest = Sha256(bytes);
    if (!digest) {
        return Fail(digest.Err());
    }
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string id;
    for (size_t i = 0; i < 4; i++) {
        id += kDigits[(*digest)[i] >> 4];
        id += kDigits[(*digest)[i] & 0x0F];
    }
    return id;
}
