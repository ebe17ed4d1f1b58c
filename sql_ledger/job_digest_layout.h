// Layout 4's piece for a job's whole digest: a sequence defined from a job keeps the job's full
// digest (64 hexadecimal digits, over the job file and the files it names) beside its 8-digit id,
// so a sequence says exactly which job, list and template it was defined from.
#pragma once

#include <string>
#include <vector>

namespace layout {

// The steps, unspelled, that give zq_sequences its job_digest column ("" for a sequence defined
// without a job, or before layout 4): after the table's creation in a new ledger, and in the
// upgrade from an older layout. Each recognises itself as done.
std::vector<std::string> JobDigestSteps();

}  // namespace layout
