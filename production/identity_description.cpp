#include "identity_description.h"

#include "record_text.h"
#include "utf_text.h"

std::string DescribeIdentity(const ChipIdentity& identity, const std::string& serials) {
    std::string text = "VID " + HexId(identity.vendorId) + ", PID " + HexId(identity.productId);
    if (!serials.empty()) {
        text += ", " + serials;
    } else {
        text += ", serial " + identity.serial.value_or("(none)");
    }
    if (identity.product) {
        text += ", product \"" + Utf16ToUtf8(*identity.product).value_or("?") + "\"";
    } else {
        text += ", product (none)";
    }
    return text;
}

std::string SerialsFrom(const std::string& next) {
    return next.empty() ? "serials from the next one free (none is left now)"
                        : "serials from " + next;
}
