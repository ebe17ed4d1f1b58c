// The job file's reader on arbitrary bytes: never a crash, and a job it accepts is one the tools
// can use as it is: an id of 8 upper-case hexadecimal digits, IDs a chip can hold, a product
// string that fits the chip, and the scheme's own field filled.
#include <cstdlib>
#include <string_view>

#include "fuzz_input.h"
#include "job_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Result<Job> job = ParseJobFile(bytes, "C:\\jobs\\job.json");
    if (!job) {
        Check(!job.Err().message.empty());
        return 0;
    }
    Check(job->id.size() == 8 &&
          job->id.find_first_not_of("0123456789ABCDEF") == std::string::npos);
    for (uint16_t id : {job->identity.vendorId, job->identity.productId}) {
        Check(id != 0x0000 && id != 0xFFFF);
    }
    Check(job->identity.product && !job->identity.product->empty() &&
          job->identity.product->size() <= 18);
    switch (job->serials.scheme) {
        case JobScheme::None:
            break;
        case JobScheme::From:
            Check(!job->serials.from.empty());
            break;
        case JobScheme::Format:
            Check(!job->serials.format.empty());
            break;
        case JobScheme::List:
            Check(!job->serials.list.empty());
            break;
    }
    return 0;
}
