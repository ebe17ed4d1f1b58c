// A line's sequence and the identity its chips are given: the same values, as the ledger keeps
// them (text) and as a chip's record is built from them.
#pragma once

#include <string>

#include "chip_identity.h"
#include "ledger_operations.h"
#include "result.h"

// The identity a sequence's chips are given, once its row passes the same checks as the options
// that define one: a row edited by hand, or by another tool, is refused, never cut or guessed at.
Result<ChipIdentity> IdentityOfSequence(const SequenceDefinition& sequence);
SequenceDefinition SequenceFor(const std::string& name, const std::string& firstSerial,
                               const ChipIdentity& identity);
