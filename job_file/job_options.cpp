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
