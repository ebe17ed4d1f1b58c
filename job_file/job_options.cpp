#include "job_options.h"

#include "record_text.h"
#include "utf_text.h"

void ApplyJob(const Job& job, IdentityOptions& identity, SchemeOptions& scheme) {
    identity.vid = HexId(job.identity.vendorId);
    identity.pid = HexId(job.identity.productId);
    identity.product = Utf16ToUtf8(job.identity.product.value_or(u"")).value_or("");
    identity.lock = job.identity.lock;
    scheme = SchemeOptions{};
    switch (job.serials.scheme) {
        case JobScheme::None:
            break;
        case JobScheme::From:
            scheme.serialFrom = job.serials.from;
            break;
        case JobScheme::Format:
            scheme.serialFormat = job.serials.format;
            scheme.utcOffset = job.serials.utcOffset;
            break;
        case JobScheme::List:
            scheme.serialList = job.serials.list;
            break;
    }
}

std::string ApplyJobLease(const Job& job, BatchOptions& options) {
    if (job.lease == 0) {
        return "";
    }
    if (!options.UsesLedger()) {
        return "lease: " + std::to_string(job.lease) +
               " is a line's: a job that names a lease goes with --sequence, not --log";
    }
    options.lease = job.lease;
    options.leaseLow = job.leaseLow;
    return "";
}

std::string SequenceJobProblem(const Job& job, const std::string& sequence,
                               const std::string& sequenceJob, const std::string& sequenceDigest) {
    if (sequenceJob.empty()) {
        return "the sequence " + sequence +
               " was not defined from a job file: run it without --job";
    }
    const bool sameDigest =
        sequenceDigest.empty() || job.digest.empty() || sequenceDigest == job.digest;
    if (job.id != sequenceJob || !sameDigest) {
        return "it is job " + job.id + ", the sequence " + sequence + " was defined from job " +
               sequenceJob +
               " (the job file, its list or its template has changed since, or it "
               "is another job's)";
    }
    return "";
}
