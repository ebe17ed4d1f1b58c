#include "job_id.h"

#include "sha256.h"

namespace {

std::string Hex(const Sha256Digest& digest) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

}  // namespace

Result<std::string> JobDigest(std::string_view jobBytes,
                              const std::vector<std::string_view>& namedFiles) {
    Result<Sha256Digest> own = Sha256(jobBytes);
    if (!own) {
        return Fail(own.Err());
    }
    if (namedFiles.empty()) {
        // The id such a job always had: a job file without files keeps it.
        return Hex(*own);
    }
    std::string framed(own->begin(), own->end());
    for (std::string_view file : namedFiles) {
        Result<Sha256Digest> digest = Sha256(file);
        if (!digest) {
            return Fail(digest.Err());
        }
        framed.append(digest->begin(), digest->end());
    }
    Result<Sha256Digest> whole = Sha256(framed);
    if (!whole) {
        return Fail(whole.Err());
    }
    return Hex(*whole);
}

std::string JobIdOf(const std::string& digest) {
    return digest.substr(0, 8);
}

Result<std::string> JobId(std::string_view bytes) {
    Result<std::string> digest = JobDigest(bytes);
    if (!digest) {
        return Fail(digest.Err());
    }
    return JobIdOf(*digest);
}
