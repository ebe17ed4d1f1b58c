// What a sequence hands out next, as the database holds it: a first serial counted up by the
// sequence's position, a format's counter in the period of the server's date, or a list's serial
// at the sequence's position. One copy for the take, the batch's header and the preview.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ledger_operations.h"
#include "odbc_session.h"
#include "result.h"
#include "serial_format.h"

// The clock a format sequence's dates are read from: empty for the database server's, so that
// stations with skewed clocks agree on the period; a test gives its own.
using LedgerClock = std::function<std::chrono::system_clock::time_point()>;

// A sequence's serial rules, checked once: its format parsed and its offset read.
struct SequenceRules {
    SequenceScheme scheme = SequenceScheme::From;
    std::string firstSerial;
    std::optional<SerialFormat> format;
    int offsetMinutes = 0;
};

// Fails, saying why, for a row no batch can take from (an unknown scheme, a format or an offset
// the options would refuse).
Result<SequenceRules> RulesOf(const SequenceDefinition& sequence);

// The moment a format sequence's date is taken at.
Result<std::chrono::system_clock::time_point, odbc::Failure> LedgerNow(odbc::Session& session,
                                                                       const LedgerClock& clock);

// A format sequence's period at a moment, and the last counter handed out in it (0: none).
struct PeriodCount {
    CalendarDate date;
    std::string period;
    uint64_t last = 0;
    bool stored = false;  // the period has a row already
};
Result<PeriodCount, odbc::Failure> ReadPeriod(odbc::Session& session, const std::string& sequence,
                                              const SerialFormat& format, int offsetMinutes,
                                              std::chrono::system_clock::time_point now);

// The sequence's next position (the serials handed out so far) as the database holds it; empty
// when the column holds no count. One read for a take, the batch's header and the preview.
Result<std::optional<uint64_t>, odbc::Failure> NextPosition(odbc::Session& session,
                                                            const std::string& sequence);

// A list sequence's serial at a position of its import order; empty past its end.
Result<std::optional<std::string>, odbc::Failure> ListSerialAt(odbc::Session& session,
                                                               const std::string& sequence,
                                                               uint64_t position);

// The next `count` serials after the sequence's position (and, for a format, its period's
// counter), read without taking anything.
Result<SerialPreview, odbc::Failure> PreviewSerials(odbc::Session& session,
                                                    const SequenceDefinition& sequence,
                                                    const SequenceRules& rules, uint64_t position,
                                                    int count, const LedgerClock& clock);
