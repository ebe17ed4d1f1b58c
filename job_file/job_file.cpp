#include "job_file.h"

#include <vector>

#include "flat_json.h"
#include "job_id.h"
#include "job_path.h"
#include "printer_target.h"
#include "serial_scheme_check.h"
#include "utf_text.h"
#include "value_checks.h"

namespace {

struct KeyRule {
    const char* key;
    JsonKind kind;
    // The command line's check for the value ("" accepted), or null when any value of the kind
    // is; the scheme's keys are checked together, after every key is read.
    std::string (*check)(const std::string&);
};

std::string CheckNonEmpty(const std::string& text) {
    return text.empty() ? "\"\" is empty" : "";
}

// The printer's form, as --printer is checked; the message names the key, not the option.
std::string CheckPrinter(const std::string& text) {
    if (text.empty()) {
        return CheckNonEmpty(text);
    }
    Result<PrinterTarget> target = ParsePrinterTarget(text);
    constexpr std::string_view kOption = "--printer: ";
    return target ? "" : target.Err().message.substr(kOption.size());
}

constexpr KeyRule kRules[] = {
    {"vid", JsonKind::Text, CheckId},
    {"pid", JsonKind::Text, CheckId},
    {"product", JsonKind::Text, CheckProduct},
    {"lock", JsonKind::Boolean, nullptr},
    {"serial-from", JsonKind::Text, CheckSerialFrom},
    {"serial-format", JsonKind::Text, nullptr},
    {"utc-offset", JsonKind::Text, nullptr},
    {"serial-list", JsonKind::Text, CheckNonEmpty},
    {"name", JsonKind::Text, CheckName},
    {"comment", JsonKind::Text, nullptr},
    // The template is read when a batch starts, as --label's is.
    {"label", JsonKind::Text, CheckNonEmpty},
    {"printer", JsonKind::Text, CheckPrinter},
    {"lease", JsonKind::Number, CheckLease},
    {"lease-low", JsonKind::Number, CheckLeaseLow},
};

// "vid, pid, product, ...": the keys a job file holds, for a refused unknown one.
std::string KeyList() {
    std::string list;
    for (const KeyRule& rule : kRules) {
        list += (list.empty() ? "" : ", ") + std::string(rule.key);
    }
    return list;
}

const KeyRule* RuleOf(const std::string& key) {
    for (const KeyRule& rule : kRules) {
        if (key == rule.key) {
            return &rule;
        }
    }
    return nullptr;
}

const FlatMember* Find(const std::vector<FlatMember>& members, const char* key) {
    for (const FlatMember& member : members) {
        if (member.key == key) {
            return &member;
        }
    }
    return nullptr;
}

// Every member's key known, its kind the key's and its value one the key's check accepts.
std::string CheckMembers(const std::vector<FlatMember>& members) {
    for (const FlatMember& member : members) {
        const KeyRule* rule = RuleOf(member.key);
        if (rule == nullptr) {
            return "\"" + member.key + "\" (with " + ShownValue(member) +
                   ") is no key of a job file; it holds " + KeyList();
        }
        if (member.kind != rule->kind) {
            bool scalar = member.kind == JsonKind::Text || member.kind == JsonKind::Boolean ||
                          member.kind == JsonKind::Number;
            return member.key + ": " +
                   (scalar ? ShownValue(member) + " is " + KindName(member.kind)
                           : std::string(KindName(member.kind)) + " is given") +
                   ", not " + KindName(rule->kind);
        }
        if (rule->check != nullptr) {
            std::string problem = rule->check(member.text);
            if (!problem.empty()) {
                return member.key + ": " + problem;
            }
        }
    }
    for (const char* key : {"vid", "pid", "product", "lock"}) {
        if (Find(members, key) == nullptr) {
            return std::string(key) + ": missing; a job names its vid, pid, product and lock";
        }
    }
    return "";
}

// At most one scheme, and an offset only with a format.
Result<JobSerials> ReadSerials(const std::vector<FlatMember>& members, const std::string& jobFile) {
    const FlatMember* from = Find(members, "serial-from");
    const FlatMember* format = Find(members, "serial-format");
    const FlatMember* offset = Find(members, "utc-offset");
    const FlatMember* list = Find(members, "serial-list");
    std::vector<const FlatMember*> named;
    for (const FlatMember* scheme : {from, format, list}) {
        if (scheme != nullptr) {
            named.push_back(scheme);
        }
    }
    if (named.size() > 1) {
        return Fail(named[0]->key + " and " + named[1]->key +
                    ": a job names one serial scheme, not two");
    }
    if (offset != nullptr && format == nullptr) {
        return Fail("utc-offset: " + ShownValue(*offset) + " is given without serial-format");
    }
    JobSerials serials;
    if (from != nullptr) {
        serials.scheme = JobScheme::From;
        serials.from = from->text;
    } else if (format != nullptr) {
        std::string problem =
            CheckSerialScheme(format->text, offset != nullptr ? &offset->text : nullptr);
        if (!problem.empty()) {
            return Fail(problem);
        }
        serials.scheme = JobScheme::Format;
        serials.format = format->text;
        serials.utcOffset = offset != nullptr ? offset->text : "";
    } else if (list != nullptr) {
        serials.scheme = JobScheme::List;
        serials.list = ResolveBesideJob(jobFile, list->text);
    }
    return serials;
}

// A lease of K, and its low-water mark below it (K/4 unless given), as --lease and --lease-low.
Status ReadLease(const std::vector<FlatMember>& members, Job& job) {
    const FlatMember* lease = Find(members, "lease");
    const FlatMember* low = Find(members, "lease-low");
    if (low != nullptr && lease == nullptr) {
        return Fail("lease-low: " + low->text + " is given without lease");
    }
    if (lease == nullptr) {
        return {};
    }
    job.lease = ParseLease(lease->text);
    job.leaseLow = low != nullptr ? ParseLease(low->text) : job.lease / 4;
    if (job.leaseLow >= job.lease) {
        return Fail("lease-low: " + low->text + " is not below lease " + lease->text +
                    ": every board would take a new lease");
    }
    return {};
}

std::string TextOf(const std::vector<FlatMember>& members, const char* key) {
    const FlatMember* member = Find(members, key);
    return member != nullptr ? member->text : "";
}

}  // namespace

Result<Job> ParseJobFile(std::string_view bytes, const std::string& jobFile) {
    Result<std::vector<FlatMember>> read = ReadFlatObject(bytes);
    if (!read) {
        return Fail(read.Err());
    }
    const std::vector<FlatMember>& members = *read;
    std::string problem = CheckMembers(members);
    if (!problem.empty()) {
        return Fail(problem);
    }
    Result<JobSerials> serials = ReadSerials(members, jobFile);
    if (!serials) {
        return Fail(serials.Err());
    }
    Result<std::string> digest = JobDigest(bytes);
    if (!digest) {
        return Fail(digest.Err());
    }
    Job job;
    job.digest = *digest;
    job.id = JobIdOf(*digest);
    job.identity.vendorId = ParseId(TextOf(members, "vid"));
    job.identity.productId = ParseId(TextOf(members, "pid"));
    job.identity.product = Utf8ToUtf16(TextOf(members, "product"));
    job.identity.lock = Find(members, "lock")->boolean;
    job.serials = *serials;
    job.name = TextOf(members, "name");
    job.comment = TextOf(members, "comment");
    if (const FlatMember* label = Find(members, "label")) {
        job.label = ResolveBesideJob(jobFile, label->text);
    }
    job.printer = TextOf(members, "printer");
    if (Status lease = ReadLease(members, job); !lease) {
        return Fail(lease.Err());
    }
    return job;
}

Status PinJobFiles(Job& job, std::string_view bytes) {
    std::vector<std::string_view> named;
    if (job.serials.scheme == JobScheme::List) {
        named.push_back(job.listText);
    }
    if (!job.label.empty()) {
        named.push_back(job.labelText);
    }
    Result<std::string> digest = JobDigest(bytes, named);
    if (!digest) {
        return Fail(digest.Err());
    }
    job.digest = *digest;
    job.id = JobIdOf(*digest);
    return {};
}
