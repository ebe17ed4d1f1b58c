#include "next_serial.h"

#include <optional>

#include "serial_sequence.h"

NextSerial NextAtStart(const std::string& ledgersNext) {
    if (ledgersNext.empty()) {
        return {};
    }
    return {NextSerial::State::Known, ledgersNext};
}

NextSerial NextAfterTake(const std::string& taken) {
    std::optional<SerialSequence> sequence = SerialSequence::From(taken);
    if (!sequence) {
        return {};
    }
    if (!sequence->Advance()) {
        return {NextSerial::State::NoneLeft, ""};
    }
    return {NextSerial::State::Known, sequence->Current()};
}

NextSerial LaterOf(const NextSerial& shown, const NextSerial& taken) {
    using State = NextSerial::State;
    if (shown.state == State::NoneLeft) {
        return shown;
    }
    if (taken.state == State::Unknown) {
        return taken;  // the serial shown was taken meanwhile, or may have been: never stale
    }
    if (shown.state == State::Known && taken.state == State::Known &&
        shown.serial.size() == taken.serial.size() && shown.serial > taken.serial) {
        return shown;  // one sequence's serials have one width: their text orders them
    }
    return taken;
}

std::string NextSerialText(const Texts& texts, const NextSerial& next) {
    switch (next.state) {
        case NextSerial::State::Known:
            return texts.Say(IDS_NEXT_SERIAL, {next.serial});
        case NextSerial::State::NoneLeft:
            return texts.Say(IDS_NO_SERIAL_LEFT);
        case NextSerial::State::Unknown:
            break;
    }
    return texts.Say(IDS_NEXT_UNKNOWN);
}
