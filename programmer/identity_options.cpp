#include "identity_options.h"

#include "utf_text.h"
#include "value_checks.h"

ChipIdentity IdentityOf(const CommandLine& line) {
    ChipIdentity identity;
    identity.vendorId = ParseId(line.vid);
    identity.productId = ParseId(line.pid);
    if (line.serialGiven) {
        identity.serial = line.serial;
    }
    identity.product = Utf8ToUtf16(line.product).value_or(u"");
    identity.lock = line.lock;
    return identity;
}
