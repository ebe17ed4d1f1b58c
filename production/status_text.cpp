#include "status_text.h"

#include "utf_text.h"

std::string StatusText(JobOutcome outcome) {
    return Utf16ToUtf8(OutcomeText(outcome)).value_or("");
}
