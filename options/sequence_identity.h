// A line's sequence and the identity its chips are given: the same values, as the ledger keeps
// them (text) and as a chip's record is built from them.
#pragma once

#include <string>

#include "chip_identity.h"
#include "ledger_operations.h"

ChipIdentity IdentityOfSequence(const SequenceDefinition& sequence);
SequenceDefinition SequenceFor(const std::string& name, const std::string& firstSerial,
                               const ChipIdentity& identity);
