// The job id against published SHA-256 vectors: the same on the host (libcrypto) and under Wine
// (CNG), so a job's id is the same wherever it is computed.
#include <gtest/gtest.h>

#include <cctype>

#include "job_file.h"
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

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string Raw(std::string_view bytes) {
    Sha256Digest digest = Sha256(bytes).Value();
    return std::string(digest.begin(), digest.end());
}

// The id pins the files a job names: a list or a template changed under the same job file gives
// another id; the digest is the documented framing; a job naming no file keeps its old id.
TEST(JobId, AJobsIdPinsItsListAndTemplateAndAJobWithoutFilesKeepsItsOwn) {
    const std::string bytes =
        R"({"vid":"1","pid":"2","product":"p","lock":false,"serial-list":"b.csv",)"
        R"("label":"b.zpl"})";
    Job job = ParseJobFile(bytes, "jobs/b.json").Value();
    job.listText = "ZQ000001\nZQ000002\n";
    job.labelText = "^XA^FD{serial}^FS^XZ";
    ASSERT_TRUE(PinJobFiles(job, bytes));
    EXPECT_EQ(job.digest, Upper(Hex(Raw(bytes) + Raw(job.listText) + Raw(job.labelText))));
    EXPECT_EQ(job.id, job.digest.substr(0, 8));
    const std::string first = job.id;
    EXPECT_NE(first, JobId(bytes).Value()) << "the job file's bytes alone";
    job.listText = "ZQ000001\nZQ000003\n";
    ASSERT_TRUE(PinJobFiles(job, bytes));
    EXPECT_NE(job.id, first) << "a list changed under the same job file";
    const std::string second = job.id;
    job.labelText = "^XA^FD{serial} {date}^FS^XZ";
    ASSERT_TRUE(PinJobFiles(job, bytes));
    EXPECT_NE(job.id, second) << "a template changed under the same job file";

    const std::string plain = R"({"vid":"1","pid":"2","product":"p","lock":false,)"
                              R"("serial-from":"ZQ000001"})";
    Job none = ParseJobFile(plain, "jobs/a.json").Value();
    ASSERT_TRUE(PinJobFiles(none, plain));
    EXPECT_EQ(none.digest, Upper(Hex(plain)));
    EXPECT_EQ(none.id, Upper(Hex(plain)).substr(0, 8));
}

}  // namespace
