#include "job_audit.h"

#include "chip_fields.h"
#include "record_text.h"
#include "serial_fit.h"

namespace {

AuditField SerialField(const ChipFields& chip, const JobSerials& serials,
                       const std::vector<std::string>& listSerials) {
    AuditField field{"serial", ShownScheme(serials), "", FieldVerdict::Matches, ""};
    if (!chip.configured) {
        field.found = "not configured";
    } else if (chip.serial) {
        field.found = *chip.serial;
    } else {
        field.found = "none";
    }
    if (serials.scheme == JobScheme::None) {
        return field;
    }
    if (!chip.configured || !chip.serial) {
        field.verdict = FieldVerdict::Differs;
        field.note = "serial differs: the chip holds none";
        return field;
    }
    switch (FitsScheme(serials, *chip.serial, listSerials)) {
        case SerialFit::Fits:
            break;
        case SerialFit::DoesNotFit:
            field.verdict = FieldVerdict::Differs;
            field.note = "serial differs: " + *chip.serial + " does not fit " + field.expected;
            break;
    }
    return field;
}

}  // namespace

AuditReport AuditAgainstJob(const ConfigRecord& chip, const Job& job,
                            const std::vector<std::string>& listSerials) {
    ChipFields fields = FieldsOf(chip);
    AuditReport report;
    report.fields.push_back(SerialField(fields, job.serials, listSerials));
    ExpectedIdentity expected{HexId(job.identity.vendorId), HexId(job.identity.productId),
                              job.identity.product.value_or(u""), job.identity.lock};
    AddIdentityFields(&expected, fields, "in the job", report);
    return report;
}
