// A job read into the options it stands for, so that a batch run from a job takes exactly the
// path a batch run from options takes: the same scheme, the same checks, the same records.
#pragma once

#include "batch_options.h"
#include "job.h"

// The job's VID, PID, product and lock, and its serial scheme (left empty when it names none).
void ApplyJob(const Job& job, IdentityOptions& identity, SchemeOptions& scheme);

// The job's lease in a batch's options: a line's batch (with --sequence) takes the job's lease and
// low-water mark; a log's batch with a job that names a lease is refused, since a lease is a line
// database's. "" when applied, or why the job does not go with the batch.
std::string ApplyJobLease(const Job& job, BatchOptions& options);

// A line's job is its sequence's: the sequence keeps the id (and the whole digest) of the job it
// was defined from, and a job file with other bytes, another job's or this one's edited since,
// would show one thing on the stations and record another. "" when the job is the sequence's
// (its digest is compared when the sequence keeps one), or why it is not.
std::string SequenceJobProblem(const Job& job, const std::string& sequence,
                               const std::string& sequenceJob, const std::string& sequenceDigest);
