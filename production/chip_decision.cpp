#include "chip_decision.h"

#include "record_text.h"
#include "status_text.h"

ChipDecision DecideAfterRead(JobOutcome read, const ConfigRecord& held,
                             const ChipIdentity& identity,
                             const std::function<Result<bool>(const std::string&)>& wasVerified) {
    ChipDecision decision;
    if (read != JobOutcome::ReadOk) {
        decision.step = ChipStep::ReadFailed;
        decision.status = StatusText(read);
        return decision;
    }
    if (held.writeProtected) {
        decision.step = ChipStep::SkipLocked;
        decision.status = "already write-protected";
        return decision;
    }
    std::optional<std::string> serial = SerialText(held);
    if (serial && HoldsIdentity(held, identity)) {
        const Result<bool> verified = wasVerified(*serial);
        if (!verified) {
            decision.step = ChipStep::ReadFailed;
            decision.serial = *serial;
            decision.status = "not programmed: whether " + *serial +
                              " was verified cannot be answered (" + verified.Err().message + ")";
            return decision;
        }
        if (*verified) {
            decision.step = ChipStep::SkipProgrammed;
            decision.serial = *serial;
            decision.status = "already holds " + *serial + ", verified";
            return decision;
        }
    }
    decision.step = ChipStep::Program;
    return decision;
}
