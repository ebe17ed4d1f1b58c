#include "sequence_identity.h"

#include <utility>

#include "record_text.h"
#include "utf_text.h"
#include "value_checks.h"

Result<ChipIdentity> IdentityOfSequence(const SequenceDefinition& sequence) {
    const std::pair<const char*, std::string> checks[] = {
        // A format or a list sequence's serials are checked where they are read.
        {"first serial", sequence.scheme == SequenceScheme::From
                             ? CheckSerialFrom(sequence.firstSerial)
                             : std::string()},
        {"VID", CheckId(sequence.vid)},
        {"PID", CheckId(sequence.pid)},
        {"product", CheckProduct(sequence.product)},
    };
    for (const auto& [field, problem] : checks) {
        if (!problem.empty()) {
            return Fail("the sequence \"" + sequence.name + "\" in the ledger is refused: its " +
                        field + " " + problem);
        }
    }
    ChipIdentity identity;
    identity.vendorId = ParseId(sequence.vid);
    identity.productId = ParseId(sequence.pid);
    identity.product = Utf8ToUtf16(sequence.product).value_or(u"");
    identity.lock = sequence.lock;
    return identity;
}

SequenceDefinition SequenceFor(const std::string& name, const std::string& firstSerial,
                               const ChipIdentity& identity) {
    SequenceDefinition sequence;
    sequence.name = name;
    sequence.firstSerial = firstSerial;
    sequence.vid = HexId(identity.vendorId);
    sequence.pid = HexId(identity.productId);
    sequence.product = Utf16ToUtf8(identity.product.value_or(u"")).value_or("");
    sequence.lock = identity.lock;
    return sequence;
}
