// The next serial in the station's header. The header never asks the ledger for it while the
// batch runs (a shared ledger would cost a round trip per board, and during a loss the window
// would wait): it follows from the serial the batch has just taken, and says so when it is not
// known.
#pragma once

#include <string>

#include "station_texts.h"

struct NextSerial {
    enum class State { Unknown, Known, NoneLeft };
    State state = State::Unknown;
    std::string serial;  // with Known
};

// At the start: the ledger's next serial as read once then ("" when it could not be read).
NextSerial NextAtStart(const std::string& ledgersNext);
// After the batch took serial: the one that follows it, or none when its digits have run out.
// A shared ledger's other stations may take that one first: it is the earliest this station
// can get.
NextSerial NextAfterTake(const std::string& taken);

// What the header shows once a board took a serial: boards take theirs at once and tell it in
// any order, so the later of the two; once the digits have run out, none; unknown when the take
// does not tell the one after it (a format's, a list's).
NextSerial LaterOf(const NextSerial& shown, const NextSerial& taken);

// "next serial ZQ000004", "no serial left" or "next serial unknown".
std::string NextSerialText(const Texts& texts, const NextSerial& next);
