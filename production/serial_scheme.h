// Where a batch's serials come from: a counting sequence, a factory's format or a list assigned in
// advance. A ledger tells the scheme every serial its records have used and asks it for the next;
// the scheme never hands out a serial it was told of. Not shared between threads: its ledger
// holds it under the ledger's lock.
#pragma once

#include <chrono>
#include <functional>
#include <string>

// The clock a scheme's date fields are read from; a test gives its own.
using SerialClock = std::function<std::chrono::system_clock::time_point()>;

struct SchemeNext {
    enum class Kind {
        Serial,      // serial is the next one
        PeriodFull,  // this period's counter has run out: none until the next period
        RunOut,      // no serial is left, ever
    };
    Kind kind = Kind::RunOut;
    std::string serial;
    std::string message;  // without a serial: why, for the operator
};

class SerialScheme {
public:
    virtual ~SerialScheme() = default;

    // A serial the records have used (or a take has just used): never handed out again.
    virtual void MarkUsed(const std::string& serial) = 0;
    // The serial the next take would hand out now.
    virtual SchemeNext Next() = 0;
    // The serial a resumed batch goes on after, once the records are marked ("" when the
    // records hold none of the scheme's): the highest of a sequence or of the current period,
    // the last of a list in its order.
    virtual std::string ResumedAfter() = 0;
    // How many serials the scheme holds: "999999 in all", "9999 per week", "250 in the list".
    virtual std::string Capacity() const = 0;
};
