// The job file as the tools read it: every key, every refusal naming its key and value, and the
// paths it names resolved beside it.
#include <gtest/gtest.h>

#include "captured_job.h"
#include "job_file.h"
#include "job_id.h"
#include "job_options.h"
#include "job_path.h"

namespace {

const std::string kFile = "C:\\jobs\\bench\\job.json";

TEST(JobFile, EveryKeyIsReadWithOrWithoutAByteOrderMark) {
    const std::string text =
        R"({"name": "Bench board, rev B", "comment": "line 2", "vid": "0x0a5c", "pid": "BEEF",
            "product": "Bench Board 试", "lock": true, "serial-list": "serials.csv",
            "label": "labels/small.zpl", "printer": "tcp:10.0.0.9"})";
    for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text}) {
        Result<Job> job = ParseJobFile(bytes, kFile);
        ASSERT_TRUE(job) << job.Err().message;
        EXPECT_EQ(job->identity.vendorId, 0x0A5C);
        EXPECT_EQ(job->identity.productId, 0xBEEF);
        EXPECT_EQ(job->identity.product, u"Bench Board 试");
        EXPECT_TRUE(job->identity.lock);
        EXPECT_FALSE(job->identity.serial);
        EXPECT_EQ(job->serials.scheme, JobScheme::List);
        EXPECT_EQ(job->serials.list, "C:\\jobs\\bench\\serials.csv");
        EXPECT_EQ(job->label, "C:\\jobs\\bench\\labels/small.zpl");
        EXPECT_EQ(job->printer, "tcp:10.0.0.9");
        EXPECT_EQ(job->name + "|" + job->comment, "Bench board, rev B|line 2");
        // The id is the hash of the bytes as read, the byte order mark included.
        EXPECT_EQ(job->id, JobId(bytes).Value());
    }

    Result<Job> format = ParseJobFile(
        R"({"vid":"1","pid":"2","product":"p","lock":false,"serial-format":"ZQ{YY}{WW}{N:2}",
            "utc-offset":"-03:30"})",
        "job.json");
    ASSERT_TRUE(format) << format.Err().message;
    EXPECT_EQ(format->serials.scheme, JobScheme::Format);
    EXPECT_EQ(format->serials.format + " " + format->serials.utcOffset, "ZQ{YY}{WW}{N:2} -03:30");

    Result<Job> none = ParseJobFile(R"({"vid":"1","pid":"2","product":"p","lock":false})", "j");
    ASSERT_TRUE(none) << none.Err().message;
    EXPECT_EQ(none->serials.scheme, JobScheme::None);
    EXPECT_EQ(none->lease, 0);

    // A line's lease, its low-water mark K/4 unless the file names one (0: only when empty).
    const std::string line = R"({"vid":"1","pid":"2","product":"p","lock":false,"lease":50)";
    Result<Job> quarter = ParseJobFile(line + "}", "j");
    Result<Job> empty = ParseJobFile(line + R"(,"lease-low":0})", "j");
    ASSERT_TRUE(quarter && empty);
    EXPECT_EQ(std::to_string(quarter->lease) + "/" + std::to_string(quarter->leaseLow), "50/12");
    EXPECT_EQ(std::to_string(empty->lease) + "/" + std::to_string(empty->leaseLow), "50/0");
}

// A line's job is the one its sequence was defined from, byte for byte, and only a line's batch
// takes a lease.
TEST(JobOptions, ALinesJobIsItsSequencesAndItsLeaseGoesWithTheSequence) {
    const std::string bytes =
        R"({"vid":"1","pid":"2","product":"p","lock":false,"serial-from":"A1","lease":40})";
    Result<Job> job = ParseJobFile(bytes, "j");
    ASSERT_TRUE(job) << job.Err().message;
    EXPECT_EQ(SequenceJobProblem(*job, "line1", job->id, job->digest), "");
    EXPECT_EQ(SequenceJobProblem(*job, "line1", job->id, ""), "");  // a sequence kept no digest
    EXPECT_NE(SequenceJobProblem(*job, "line1", "", "").find("not defined from a job"),
              std::string::npos);
    Result<Job> edited = ParseJobFile(bytes.substr(0, bytes.size() - 3) + "41}", "j");
    ASSERT_TRUE(edited);
    EXPECT_NE(SequenceJobProblem(*edited, "line1", job->id, job->digest).find("has changed"),
              std::string::npos);
    // The same id with another digest: the first 8 digits alone do not make it the same job.
    EXPECT_NE(SequenceJobProblem(*job, "line1", job->id, edited->digest), "");

    BatchOptions line;
    line.sequence = "line1";
    EXPECT_EQ(ApplyJobLease(*job, line), "");
    EXPECT_EQ(std::to_string(line.lease) + "/" + std::to_string(line.leaseLow), "40/10");
    BatchOptions log;
    log.log = "shift.csv";
    EXPECT_NE(ApplyJobLease(*job, log).find("goes with --sequence"), std::string::npos);
    EXPECT_EQ(log.lease, 0);
}

TEST(JobFile, EachRefusalNamesTheKeyAndTheValue) {
    const std::string identity =
        R"("vid":"0A5C","pid":"BEEF","product":"Bench Board","lock":false)";
    struct Case {
        std::string members;  // after the identity's
        std::string error;
    };
    const Case cases[] = {
        {R"("colour":"red")", R"("colour" (with "red") is no key of a job file)"},
        {R"("vid":"0A5C")", R"("vid" is given twice)"},
        {R"("serial-from":"ZQ000001","name":{"vid":1,"vid":2})",
         "name: an object is given, not text"},
        {R"("serial-from":1)", "serial-from: 1 is a number, not text"},
        {R"("name":null)", "name: null is given, not text"},
        {R"("serial-from":"ZQ00000A")",
         R"(serial-from: "ZQ00000A" does not end in decimal digits)"},
        {R"("serial-from":"ZQ 000001")", R"(serial-from: "ZQ 000001" is not 1 to 8 characters)"},
        {R"("serial-from":"ZQ1","serial-list":"a.csv")",
         "serial-from and serial-list: a job names one serial scheme, not two"},
        {R"("utc-offset":"+08:00")", R"(utc-offset: "+08:00" is given without serial-format)"},
        // The command line's own checks: a format that is not 8 characters, an offset no zone has.
        {R"("serial-format":"{N:8}","utc-offset":"+8:00")",
         R"(utc-offset: "+8:00" is not an offset)"},
        {R"("serial-format":"{N:8}","utc-offset":"+15:00")", R"(utc-offset: "+15:00" is not)"},
        {R"("serial-format":"ZQ{N:4}")", R"(serial-format: "ZQ{N:4}" expands to 6 characters)"},
        {R"("serial-format":"ZQ{Q:6}")", R"(serial-format: "ZQ{Q:6}" has an unknown field)"},
        {R"("serial-format":"")", R"(serial-format: "" has no counter)"},
        {R"("serial-list":"")", R"(serial-list: "" is empty)"},
        {R"("printer":"")", R"(printer: "" is empty)"},
        {R"("printer":"lpt1")", R"(printer: "lpt1": is not tcp:HOST[:PORT])"},
        {R"("name":"a\u0007b")", "name: \"a\ab\" has a control character"},
        // A lease as --lease and --lease-low take it: a whole number in range, the mark below it.
        {R"("lease":"50")", R"(lease: "50" is text, not a number)"},
        {R"("lease":0)", "lease: 0 is not a whole number from 1 to 100000"},
        {R"("lease":2.5)", "lease: 2.5 is not a whole number"},
        {R"("lease":100001)", "lease: 100001 is not a whole number"},
        {R"("lease":-4)", "lease: -4 is not a whole number"},
        {R"("lease":1e3)", "lease: 1e3 is not a whole number"},
        {R"("lease-low":2)", "lease-low: 2 is given without lease"},
        {R"("lease":8,"lease-low":8)", "lease-low: 8 is not below lease 8"},
    };
    for (const Case& test : cases) {
        Result<Job> job = ParseJobFile("{" + identity + "," + test.members + "}", kFile);
        ASSERT_FALSE(job) << test.members;
        EXPECT_NE(job.Err().message.find(test.error), std::string::npos)
            << test.members << "\n  gave: " << job.Err().message;
    }

    // The identity's own keys: the command line's checks, a wrong type, a missing key.
    const Case identities[] = {
        {R"({"vid":"12G4","pid":"1","product":"p","lock":false})",
         R"(vid: "12G4" is not 1 to 4 hexadecimal digits)"},
        {R"({"vid":"1","pid":"FFFF","product":"p","lock":false})", R"(pid: "FFFF" is refused)"},
        {R"({"vid":"1","pid":"2","product":"0123456789ABCDEFGHI","lock":false})",
         R"(product: "0123456789ABCDEFGHI" is 19 UTF-16 code units)"},
        {R"({"vid":"1","pid":"2","product":"p","lock":"no"})",
         R"(lock: "no" is text, not true or false)"},
        {R"({"vid":4660,"pid":"2","product":"p","lock":false})", "vid: 4660 is a number, not text"},
        {R"({"vid":"1","pid":"2","lock":false})", "product: missing"},
        {R"({"vid":"1","pid":"2","product":"p"})", "lock: missing"},
        {R"(["vid","1"])", "not a JSON object"},
        {R"("vid")", "not a JSON object"},
        {R"({"vid":"1",})", "not JSON: parse error at line 1, column 12"},
        {R"({"vid":"1"} {})", "not JSON"},
        {"", "not JSON"},
        {"{\"product\":\"\xC0\xAF\"}", "not JSON"},
    };
    for (const Case& test : identities) {
        Result<Job> job = ParseJobFile(test.members, kFile);
        ASSERT_FALSE(job) << test.members;
        EXPECT_NE(job.Err().message.find(test.error), std::string::npos)
            << test.members << "\n  gave: " << job.Err().message;
    }
}

// Capture: the board's identity, the operator's scheme, never the board's own serial; what it
// writes is a job the reader takes back unchanged.
TEST(CapturedJob, TheBoardsIdentityReadsBackAndABlankBoardIsRefused) {
    ChipIdentity board;
    board.vendorId = 0x0A5C;
    board.productId = 0xBEEF;
    board.product = u"Bench \"Board\" 试";
    board.serial = "SN000001";
    board.lock = true;
    Result<RecordPtr> chip = BuildRecord(board);
    ASSERT_TRUE(chip.Ok());
    SchemeOptions scheme;
    scheme.serialFormat = "ZQ{YY}{N:4}";
    scheme.utcOffset = "+08:00";
    Result<std::string> text = CapturedJobText(**chip, scheme);
    ASSERT_TRUE(text) << text.Err().message;
    EXPECT_EQ(text->find("SN000001"), std::string::npos) << *text;
    Result<Job> job = ParseJobFile(*text, kFile);
    ASSERT_TRUE(job) << job.Err().message << "\n" << *text;
    EXPECT_EQ(job->identity.vendorId, 0x0A5C);
    EXPECT_EQ(job->identity.productId, 0xBEEF);
    EXPECT_EQ(job->identity.product, board.product);
    EXPECT_TRUE(job->identity.lock);
    EXPECT_FALSE(job->identity.serial);
    EXPECT_EQ(job->serials.format + " " + job->serials.utcOffset, "ZQ{YY}{N:4} +08:00");

    (*chip)->configured = 0;
    Result<std::string> blank = CapturedJobText(**chip, SchemeOptions{});
    ASSERT_FALSE(blank);
    EXPECT_NE(blank.Err().message.find("not configured"), std::string::npos);
}

TEST(JobPath, RelativePathsAreTheJobFoldersAbsoluteOnesStay) {
    EXPECT_EQ(ResolveBesideJob("C:\\jobs\\a.json", "s.csv"), "C:\\jobs\\s.csv");
    EXPECT_EQ(ResolveBesideJob("/srv/jobs/a.json", "lists/s.csv"), "/srv/jobs/lists/s.csv");
    EXPECT_EQ(ResolveBesideJob("jobs/x\\a.json", "s.csv"), "jobs/x\\s.csv");
    EXPECT_EQ(ResolveBesideJob("a.json", "s.csv"), "s.csv");
    for (const std::string absolute :
         {"D:\\lists\\s.csv", "d:/s.csv", "\\\\server\\share\\s.csv", "\\s.csv", "/s.csv"}) {
        EXPECT_EQ(ResolveBesideJob("C:\\jobs\\a.json", absolute), absolute);
    }
    // A captured job names a file in its folder (or below) relatively, any other by its full path,
    // and resolving the name gives the file back.
    EXPECT_EQ(PathFromJob("C:\\work\\jobs\\b.json", "c:\\Work\\Jobs\\lists\\b.csv"),
              "lists\\b.csv");
    EXPECT_EQ(PathFromJob("C:\\work\\jobs\\b.json", "C:\\work\\lists\\b.csv"),
              "C:\\work\\lists\\b.csv");
    EXPECT_EQ(PathFromJob("C:\\work\\jobs\\b.json", "C:\\work\\jobs2\\b.csv"),
              "C:\\work\\jobs2\\b.csv");
    EXPECT_EQ(ResolveBesideJob("C:\\work\\jobs\\b.json",
                               PathFromJob("C:\\work\\jobs\\b.json", "C:\\work\\jobs\\b.csv")),
              "C:\\work\\jobs\\b.csv");
}

}  // namespace
