#include "captured_job.h"

#include "chip_fields.h"
#include "job_file.h"
#include "job_file_text.h"

namespace {

JobSerials SerialsOf(const SchemeOptions& scheme) {
    JobSerials serials;
    if (!scheme.serialFrom.empty()) {
        serials.scheme = JobScheme::From;
        serials.from = scheme.serialFrom;
    } else if (!scheme.serialFormat.empty()) {
        serials.scheme = JobScheme::Format;
        serials.format = scheme.serialFormat;
        serials.utcOffset = scheme.utcOffset;
    } else if (!scheme.serialList.empty()) {
        serials.scheme = JobScheme::List;
        serials.list = scheme.serialList;
    }
    return serials;
}

}  // namespace

Result<std::string> CapturedJobText(const ConfigRecord& chip, const SchemeOptions& scheme) {
    ChipFields fields = FieldsOf(chip);
    if (!fields.configured) {
        return Fail("the chip is not configured: a blank board is no known-good board");
    }
    if (!fields.product) {
        return Fail("the chip holds no product string: a job names one");
    }
    Job job;
    job.identity.vendorId = chip.vendorId;
    job.identity.productId = chip.productId;
    job.identity.product = fields.product;
    job.identity.lock = fields.lock;
    job.serials = SerialsOf(scheme);
    std::string text = JobFileText(job);
    Result<Job> read = ParseJobFile(text, "");
    if (!read) {
        return Fail("the chip's identity is no job's: " + read.Err().message);
    }
    return text;
}
