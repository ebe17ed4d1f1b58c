#include "sequence_identity.h"

#include "record_text.h"
#include "utf_text.h"
#include "value_checks.h"

ChipIdentity IdentityOfSequence(const SequenceDefinition& sequence) {
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
