// The work of one Read Config or Write Config once the port is open: the frames, the outcome in
// the status line and, for a read, the form. The caller runs it on a worker thread and closes
// the port afterwards.
#pragma once

#include "byte_port.h"
#include "code_page.h"
#include "config_form.h"
#include "config_record.h"
#include "job_outcome.h"

class StatusLine {
public:
    virtual ~StatusLine() = default;
    virtual void SetStatus(const char16_t* text) = 0;
};

// The two actions without the form and the status line, for every program that runs them.
// Reads the chip into a zero-filled record: ReadOk or ReadFailed.
JobOutcome ReadChip(BytePort& port, ConfigRecord& record);
// Writes the record, reads the chip back into a fresh record and compares the two whole:
// WriteOk, WriteUnverified (the read-back failed), WriteLocked or WriteFailed.
JobOutcome WriteAndVerify(BytePort& port, const ConfigRecord& written);

// Reads the chip; on success says so and shows the record, on failure says so and leaves the
// form alone.
JobOutcome RunReadJob(BytePort& port, CodePage& codePage, ConfigForm& form, StatusLine& status);

// Writes the record, reads the chip back into a fresh record and compares the two whole. The
// job owns the record from here on and frees it; the read-back never reaches the form.
JobOutcome RunWriteJob(BytePort& port, RecordPtr pendingRecord, StatusLine& status);
