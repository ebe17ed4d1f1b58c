// The one-line outcomes of a Read Config or Write Config, as the status line shows them.
#pragma once

enum class JobOutcome { ReadOk, ReadFailed, WriteOk, WriteUnverified, WriteLocked, WriteFailed };

// UTF-16 so that they read correctly whatever the system's ANSI code page is.
const char16_t* OutcomeText(JobOutcome outcome);
