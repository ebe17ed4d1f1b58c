#include "config_jobs.h"

#include "config_sequence.h"
#include "form_values.h"

JobOutcome ReadChip(BytePort& port, ConfigRecord& record) {
    return ReadConfig(port, record) ? JobOutcome::ReadOk : JobOutcome::ReadFailed;
}

JobOutcome RunReadJob(BytePort& port, CodePage& codePage, ConfigForm& form, StatusLine& status) {
    RecordPtr record = NewRecord();
    JobOutcome outcome = ReadChip(port, *record);
    status.SetStatus(OutcomeText(outcome));
    if (outcome == JobOutcome::ReadOk) {
        ShowRecord(*record, codePage, form);
    }
    return outcome;
}

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

JobOutcome RunWriteJob(BytePort& port, RecordPtr pendingRecord, StatusLine& status) {
    JobOutcome outcome =
        pendingRecord ? WriteAndVerify(port, *pendingRecord) : JobOutcome::WriteFailed;
    status.SetStatus(OutcomeText(outcome));
    return outcome;
}
