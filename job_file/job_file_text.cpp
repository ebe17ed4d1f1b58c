#include "job_file_text.h"

#include <nlohmann/json.hpp>

#include "record_text.h"
#include "utf_text.h"

std::string JobFileText(const Job& job) {
    nlohmann::ordered_json object;
    if (!job.name.empty()) {
        object["name"] = job.name;
    }
    object["vid"] = HexId(job.identity.vendorId);
    object["pid"] = HexId(job.identity.productId);
    object["product"] = Utf16ToUtf8(job.identity.product.value_or(u"")).value_or("");
    object["lock"] = job.identity.lock;
    switch (job.serials.scheme) {
        case JobScheme::None:
            break;
        case JobScheme::From:
            object["serial-from"] = job.serials.from;
            break;
        case JobScheme::Format:
            object["serial-format"] = job.serials.format;
            if (!job.serials.utcOffset.empty()) {
                object["utc-offset"] = job.serials.utcOffset;
            }
            break;
        case JobScheme::List:
            object["serial-list"] = job.serials.list;
            break;
    }
    if (!job.comment.empty()) {
        object["comment"] = job.comment;
    }
    // Non-ASCII text as it is (UTF-8), not as \u escapes: the file is read by people too.
    return object.dump(2, ' ', false) + "\n";
}
