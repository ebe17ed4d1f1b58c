#include "config_jobs.h"

#include "config_sequence.h"
#include "form_values.h"

JobOutcome RunReadJob(BytePort& port, CodePage& codePage, ConfigForm& form, StatusLine& status) {
    RecordPtr record = NewRecord();
    if (!ReadConfig(port, *record)) {
        status.SetStatus(OutcomeText(JobOutcome::ReadFailed));
        return JobOutcome::ReadFailed;
    }
    status.SetStatus(OutcomeText(JobOutcome::ReadOk));
    ShowRecord(*record, codePage, form);
    return JobOutcome::ReadOk;
}

namespace {

JobOutcome WriteAndVerify(BytePort& port, const ConfigRecord& written) {
    if (!WriteConfig(port, written)) {
        return JobOutcome::WriteFailed;
    }
    RecordPtr readBack = NewRecord();
    if (!ReadConfig(port, *readBack)) {
        return JobOutcome::WriteUnverified;
    }
    if (RecordsEqual(written, *readBack)) {
        return JobOutcome::WriteOk;
    }
    // A locked chip takes every frame without error and keeps its old content; only the
    // read-back's lock tells it apart from a write that did not take.
    return readBack->writeProtected ? JobOutcome::WriteLocked : JobOutcome::WriteFailed;
}

}  // namespace

JobOutcome RunWriteJob(BytePort& port, RecordPtr pendingRecord, StatusLine& status) {
    JobOutcome outcome =
        pendingRecord ? WriteAndVerify(port, *pendingRecord) : JobOutcome::WriteFailed;
    status.SetStatus(OutcomeText(outcome));
    return outcome;
}
