// The audit's comparison of a chip with its job and with its record: each field, the texts an
// operator reads, and which records count as the serial's programming.
#include <gtest/gtest.h>

#include "audit_outcome.h"
#include "audit_tally.h"
#include "audit_text.h"
#include "batch_outcome.h"
#include "chip_identity.h"
#include "job_audit.h"
#include "log_csv.h"
#include "record_audit.h"
#include "serial_fit.h"

namespace {

// The chip's record for an identity the test means to be valid.
RecordPtr Built(const ChipIdentity& identity) {
    Result<RecordPtr> record = BuildRecord(identity);
    EXPECT_TRUE(record.Ok()) << (record.Ok() ? "" : record.Err().message);
    return record.Ok() ? std::move(*record) : nullptr;
}

ChipIdentity BenchBoard(const char* serial) {
    ChipIdentity identity;
    identity.vendorId = 0x0A5C;
    identity.productId = 0xBEEF;
    identity.product = u"Bench Board";
    identity.serial = serial;
    return identity;
}

Job BenchJob(JobScheme scheme) {
    Job job;
    job.identity = BenchBoard("");
    job.identity.serial.reset();
    job.serials.scheme = scheme;
    job.serials.from = "ZQ000001";
    job.serials.format = "ZQ{YY}{N:4}";
    job.serials.list = "C:\\jobs\\serials.csv";
    return job;
}

// Field by field: "serial=Matches vid=Differs ...", so a failure shows the whole report.
std::string Verdicts(const AuditReport& report) {
    std::string text;
    for (const AuditField& field : report.fields) {
        const char* verdict = field.verdict == FieldVerdict::Matches   ? "ok"
                              : field.verdict == FieldVerdict::Differs ? "DIFFERS"
                                                                       : "unchecked";
        text += (text.empty() ? "" : " ") + field.field + "=" + verdict;
    }
    return text;
}

const AuditField& Field(const AuditReport& report, const std::string& name) {
    for (const AuditField& field : report.fields) {
        if (field.field == name) {
            return field;
        }
    }
    throw std::runtime_error("no field " + name);
}

TEST(JobAudit, EachFieldIsComparedWithTheJob) {
    Job job = BenchJob(JobScheme::From);
    AuditReport same = AuditAgainstJob(*Built(BenchBoard("ZQ004711")), job);
    EXPECT_EQ(Verdicts(same), "serial=ok vid=ok pid=ok product=ok lock=ok");
    EXPECT_EQ(VerdictOf(same), AuditVerdict::Matches);

    ChipIdentity chip = BenchBoard("ZQ004711");
    chip.product = u"Bench Bard";
    AuditReport product = AuditAgainstJob(*Built(chip), job);
    EXPECT_EQ(Verdicts(product), "serial=ok vid=ok pid=ok product=DIFFERS lock=ok");
    EXPECT_EQ(Field(product, "product").note,
              "product differs: \"Bench Board\" in the job, \"Bench Bard\" on the chip");
    EXPECT_EQ(VerdictOf(product), AuditVerdict::Differs);

    chip = BenchBoard("ZQ004711");
    chip.vendorId = 0x0A5D;
    chip.productId = 0xBEEE;
    chip.lock = true;
    AuditReport ids = AuditAgainstJob(*Built(chip), job);
    EXPECT_EQ(Verdicts(ids), "serial=ok vid=DIFFERS pid=DIFFERS product=ok lock=DIFFERS");
    EXPECT_EQ(Field(ids, "vid").note, "vid differs: 0A5C in the job, 0A5D on the chip");
    EXPECT_EQ(Field(ids, "lock").note, "lock differs: no in the job, yes on the chip");

    // A chip that was never configured matches nothing, whatever its bytes hold.
    RecordPtr blank = Built(BenchBoard("ZQ004711"));
    blank->configured = 0;
    EXPECT_EQ(Verdicts(AuditAgainstJob(*blank, job)),
              "serial=DIFFERS vid=DIFFERS pid=DIFFERS product=DIFFERS lock=ok");
}

TEST(JobAudit, TheSerialMustFitTheJobsScheme) {
    Job from = BenchJob(JobScheme::From);
    for (const char* serial : {"ZQ00471", "ZQ-04711", "ZR004711", "ZQ00471A", ""}) {
        AuditField field = Field(AuditAgainstJob(*Built(BenchBoard(serial)), from), "serial");
        EXPECT_EQ(field.verdict, FieldVerdict::Differs) << serial;
        EXPECT_EQ(field.expected, "ZQ######");
    }
    EXPECT_EQ(Field(AuditAgainstJob(*Built(BenchBoard("ZR004711")), from), "serial").note,
              "serial differs: ZR004711 does not fit ZQ######");

    Job list = BenchJob(JobScheme::List);
    std::vector<std::string> serials = {"AB-17", "CD-42"};
    EXPECT_EQ(AuditAgainstJob(*Built(BenchBoard("CD-42")), list, serials).fields[0].verdict,
              FieldVerdict::Matches);
    EXPECT_EQ(AuditAgainstJob(*Built(BenchBoard("CD-43")), list, serials).fields[0].verdict,
              FieldVerdict::Differs);

    // A format: its literals, a counter from 1 and its width, whatever the date.
    Job format = BenchJob(JobScheme::Format);
    EXPECT_EQ(VerdictOf(AuditAgainstJob(*Built(BenchBoard("ZQ260001")), format)),
              AuditVerdict::Matches);
    for (const char* serial : {"ZQ260000", "ZR260001", "ZQ26001", "ZQ2600A1"}) {
        AuditField field = Field(AuditAgainstJob(*Built(BenchBoard(serial)), format), "serial");
        EXPECT_EQ(field.verdict, FieldVerdict::Differs) << serial;
        EXPECT_EQ(field.note,
                  std::string("serial differs: ") + serial + " does not fit ZQ{YY}{N:4}");
    }
}

// A serial fits a format's date fields only with a date some day gives them.
TEST(JobAudit, ASerialFitsAFormatsDateFieldsOnlyWithADateThatExists) {
    struct Case {
        const char* format;
        const char* serial;
        bool fits;
    } cases[] = {
        {"Z{YY}{WW}{N:3}", "Z2601001", true},     {"Z{YY}{WW}{N:3}", "Z2653001", true},
        {"Z{YY}{WW}{N:3}", "Z2600001", false},    {"Z{YY}{WW}{N:3}", "Z2699001", false},
        {"Z{YY}{WW}{N:3}", "Z2753001", false},  // 2027 has 52 weeks, 2026 has 53
        {"{YY}{MM}{DD}{N:2}", "26123101", true},  {"{YY}{MM}{DD}{N:2}", "26003101", false},
        {"{YY}{MM}{DD}{N:2}", "26130101", false}, {"{YY}{MM}{DD}{N:2}", "26043101", false},
        {"{YY}{MM}{DD}{N:2}", "28022901", true},  {"{YY}{MM}{DD}{N:2}", "26022901", false},
        {"{YY}{MM}{DD}{N:2}", "26123201", false}, {"{YY}{MM}{DD}{N:2}", "26120001", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitsSerialFormat(c.format, c.serial) == SerialFit::Fits, c.fits)
            << c.format << " " << c.serial;
    }
}

LedgerEntry Record(const std::string& serial, BatchOutcome outcome, const std::string& station,
                   const std::string& time) {
    LedgerEntry entry;
    entry.time = time;
    entry.port = "COM21";
    entry.serial = serial;
    entry.vid = "0A5C";
    entry.pid = "BEEF";
    entry.product = "Bench Board";
    entry.outcome = outcome;
    entry.station = station;
    return entry;
}

TEST(RecordAudit, TheSerialsLastProgrammingMustBeVerifiedAndItsIdentityTheChips) {
    std::vector<LedgerEntry> record = {
        Record("ZQ000122", BatchOutcome::Started, "st-a", "2026-12-08T09:10:01.000Z"),
        Record("ZQ000122", BatchOutcome::Verified, "st-a", "2026-12-08T09:10:02.000Z"),
        Record("ZQ000123", BatchOutcome::Started, "st-a", "2026-12-08T09:11:01.000Z"),
        Record("ZQ000123", BatchOutcome::Verified, "st-a", "2026-12-08T09:11:02.000Z"),
        Record("ZQ000124", BatchOutcome::Started, "st-b", "2026-12-08T09:14:30.000Z"),
        Record("ZQ000124", BatchOutcome::Failed, "st-b", "2026-12-08T09:14:33.123Z"),
        // Plugged in again later: the batch skipped it. Not a programming: it changes nothing.
        Record("ZQ000124", BatchOutcome::SkippedProgrammed, "st-a", "2026-12-08T10:00:00.000Z"),
        Record("ZQ000122", BatchOutcome::SkippedProgrammed, "", "2026-12-08T10:01:00.000Z"),
    };

    AuditReport verified = AuditAgainstRecord(*Built(BenchBoard("ZQ000123")), record);
    EXPECT_EQ(Verdicts(verified), "serial=ok vid=ok pid=ok product=ok lock=ok");
    EXPECT_EQ(Field(verified, "serial").found, "ZQ000123, verified at st-a 2026-12-08T09:11Z");
    EXPECT_EQ(VerdictOf(verified), AuditVerdict::Matches);
    EXPECT_EQ(VerdictOf(AuditAgainstRecord(*Built(BenchBoard("ZQ000122")), record)),
              AuditVerdict::Matches);

    AuditReport failed = AuditAgainstRecord(*Built(BenchBoard("ZQ000124")), record);
    EXPECT_EQ(Verdicts(failed), "serial=DIFFERS vid=ok pid=ok product=ok lock=ok");
    EXPECT_EQ(Field(failed, "serial").note, "recorded as failed at st-b 2026-12-08T09:14Z");

    AuditReport unknown = AuditAgainstRecord(*Built(BenchBoard("ZQ000125")), record);
    EXPECT_EQ(Verdicts(unknown),
              "serial=DIFFERS vid=unchecked pid=unchecked product=unchecked lock=unchecked");
    EXPECT_EQ(Field(unknown, "serial").note, "not on record");

    ChipIdentity bard = BenchBoard("ZQ000123");
    bard.product = u"Bench Bard";
    AuditReport product = AuditAgainstRecord(*Built(bard), record);
    EXPECT_EQ(Verdicts(product), "serial=ok vid=ok pid=ok product=DIFFERS lock=ok");
    EXPECT_EQ(Field(product, "product").note,
              "product differs: \"Bench Board\" recorded, \"Bench Bard\" on the chip");

    // A single station's log names no station: the port says where.
    record[3].station = "";
    EXPECT_EQ(WhereAndWhen(record[3]), "COM21 2026-12-08T09:11Z");
}

// An audit's record, written to a log and read back, is no programming: the serial's last
// programming, and so the next audit's verdict, stays the write's.
TEST(AuditOutcome, AnAuditReadBackFromALogIsNoProgramming) {
    RecordPtr chip = Built(BenchBoard("ZQ000123"));
    ChipIdentity other = BenchBoard("ZQ000123");
    other.vendorId = 0x0A5D;
    RecordPtr differing = Built(other);
    std::vector<LedgerEntry> written = {
        Record("ZQ000123", BatchOutcome::Verified, "st-a", "2026-12-08T09:11:02.000Z")};
    written.push_back(AuditRecord(*differing, AuditAgainstRecord(*differing, written), "COM21"));
    written.push_back(AuditRecord(*chip, AuditAgainstRecord(*chip, written), "COM21"));
    std::string log = LogStart();
    for (LedgerEntry& entry : written) {
        entry.time = "2026-12-08T10:00:00.000Z";
        log += EncodeLogLine(entry);
    }
    Result<LogContents> read = DecodeLog(log);
    ASSERT_TRUE(read) << read.Err().message;
    ASSERT_EQ(read->entries.size(), 3u);
    EXPECT_EQ(read->entries[1].outcome, BatchOutcome::AuditMismatch);
    EXPECT_EQ(read->entries[2].outcome, BatchOutcome::Audited);
    EXPECT_EQ(VerdictOf(AuditAgainstRecord(*chip, read->entries)), AuditVerdict::Matches);
}

// What an audit against a sequence records: the chip's own identity, the word, and the fields
// that differ in its status; and an audit station's exit code from its counts.
TEST(AuditRecord, AMismatchRecordsTheChipAndTheFieldsThatDiffer) {
    ChipIdentity chip = BenchBoard("ZQ000123");
    chip.product = u"Bench Bard";
    chip.vendorId = 0x0A5D;
    RecordPtr read = Built(chip);
    AuditReport report = AuditAgainstJob(*read, BenchJob(JobScheme::From));
    LedgerEntry entry = AuditRecord(*read, report, "COM21");
    EXPECT_EQ(entry.outcome, BatchOutcome::AuditMismatch);
    EXPECT_EQ(entry.serial + " " + entry.vid + " " + entry.product, "ZQ000123 0A5D Bench Bard");
    EXPECT_EQ(entry.status,
              "vid differs: 0A5C in the job, 0A5D on the chip; product differs: \"Bench Board\" "
              "in the job, \"Bench Bard\" on the chip");
    EXPECT_EQ(AuditLines(report)[1], "  vid      DIFFERS  expected 0A5C, found 0A5D");
    // A serial not on record leaves nothing to compare the rest with: only the serial is named.
    AuditReport unseen = AuditAgainstRecord(*read, {});
    EXPECT_EQ(AuditHeadline(unseen), "not on record");
    EXPECT_EQ(AuditLines(unseen)[1],
              "  vid      unchecked  found 0A5D (nothing recorded to compare with)");

    LedgerEntry same = AuditRecord(
        *Built(BenchBoard("ZQ000123")),
        AuditAgainstJob(*Built(BenchBoard("ZQ000123")), BenchJob(JobScheme::From)), "COM21");
    EXPECT_EQ(same.outcome, BatchOutcome::Audited);
    EXPECT_EQ(same.status, "");

    EXPECT_EQ((AuditTally{3, 0, 0}).ExitCode(), 0);
    EXPECT_EQ((AuditTally{3, 1, 0}).ExitCode(), 7);
    EXPECT_EQ((AuditTally{3, 1, 1}).ExitCode(), 3);
}

}  // namespace
