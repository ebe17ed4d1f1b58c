#include "outcome_words.h"

#include "exit_codes.h"
#include "utf_text.h"

const char* OutcomeWord(JobOutcome outcome) {
    switch (outcome) {
        case JobOutcome::ReadOk:
            return "read";
        case JobOutcome::ReadFailed:
            return "read-failed";
        case JobOutcome::WriteOk:
            return "verified";
        case JobOutcome::WriteUnverified:
            return "unverified";
        case JobOutcome::WriteLocked:
            return "locked";
        case JobOutcome::WriteFailed:
            return "failed";
    }
    return "failed";
}

int ExitCodeFor(JobOutcome outcome) {
    switch (outcome) {
        case JobOutcome::ReadOk:
        case JobOutcome::WriteOk:
            return EXIT_DONE;
        case JobOutcome::WriteUnverified:
            return EXIT_UNVERIFIED;
        case JobOutcome::WriteLocked:
            return EXIT_WRITE_PROTECT;
        case JobOutcome::ReadFailed:
        case JobOutcome::WriteFailed:
            return EXIT_FAILED;
    }
    return EXIT_FAILED;
}

std::string StatusText(JobOutcome outcome) {
    return Utf16ToUtf8(OutcomeText(outcome)).value_or("");
}
