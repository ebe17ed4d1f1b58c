// The job id against published SHA-256 vectors: the same on the host (libcrypto) and under Wine
// (CNG), so a job's id is the same wherever it is computed.
#include <gtest/gtest.h>

#include "job_id.h"
#include "sha256.h"

namespace {

// The digest in lower case, as the published vectors are written, or why there is none.
std::string Hex(std::string_view bytes) {
    Result<Sha256Digest> digest = Sha256(bytes);
    if (!digest) {
        return "failed: " + digest.Err().message;
    }
    constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : *digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

TEST(JobId, KnownSha256Vectors) {
    // FIPS 180-2's examples: one block, two blocks, and the empty message.
    EXPECT_EQ(Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    // A NUL inside is hashed like any byte: the length is the view's, not a C string's.
    EXPECT_EQ(Hex(std::string_view("a\0c", 3)),
              "b179f49283f586ae1922b625af4017aecdf77e7ee175c0af675abea14252a666");

    EXPECT_EQ(JobId("abc").Value(), "BA7816BF");
    EXPECT_EQ(JobId("").Value(), "E3B0C442");
}

}  // namespace
