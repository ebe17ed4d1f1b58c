#include "sequence_serials.h"

#include "column_number.h"
#include "counting_scheme.h"
#include "format_scheme.h"
#include "ledger_layout.h"
#include "list_scheme.h"
#include "serial_sequence.h"

namespace {

Result<SerialPreview, odbc::Failure> PreviewFormat(odbc::Session& session,
                                                   const SequenceDefinition& sequence,
                                                   const SequenceRules& rules, int count,
                                                   const LedgerClock& clock) {
    const auto now = LedgerNow(session, clock);
    if (!now) {
        return Fail(now.Err());
    }
    const auto period =
        ReadPeriod(session, sequence.name, *rules.format, rules.offsetMinutes, *now);
    if (!period) {
        return Fail(period.Err());
    }
    // The production core's rules, told the period's last serial: the same serials and the same
    // words as a single station's batch.
    FormatScheme scheme(*rules.format, rules.offsetMinutes, [at = *now] { return at; });
    SerialPreview preview;
    preview.capacity = scheme.Capacity();
    if (period->last > 0) {
        preview.after = Expand(*rules.format, period->date, period->last);
        scheme.MarkUsed(preview.after);
    }
    for (int i = 0; i < count; i++) {
        SchemeNext next = scheme.Next();
        if (next.kind != SchemeNext::Kind::Serial) {
            preview.stop = next.message;
            break;
        }
        preview.serials.push_back(next.serial);
        scheme.MarkUsed(next.serial);
    }
    return preview;
}

Result<SerialPreview, odbc::Failure> PreviewList(odbc::Session& session,
                                                 const SequenceDefinition& sequence,
                                                 uint64_t position, int count) {
    odbc::Answer size =
        session.Run("SELECT list_size FROM zq_sequences WHERE name = ?", {sequence.name});
    odbc::Answer next = session.Run(
        "SELECT serial FROM zq_list_serials WHERE sequence_name = ? AND list_position >= ? "
        "AND list_position < ? ORDER BY list_position",
        {sequence.name, static_cast<int64_t>(position), static_cast<int64_t>(position + count)});
    for (const odbc::Answer* read : {&size, &next}) {
        if (!*read) {
            return Fail(read->Err());
        }
    }
    SerialPreview preview;
    preview.capacity = ListCapacity(static_cast<uint64_t>(NumberAt(size).value_or(0)));
    for (const odbc::Row& row : next->rows) {
        preview.serials.push_back(row.at(0).value_or(""));
    }
    if (position > 0) {
        const auto last = ListSerialAt(session, sequence.name, position - 1);
        if (!last) {
            return Fail(last.Err());
        }
        preview.after = last->value_or("");
    }
    if (preview.serials.size() < static_cast<size_t>(count)) {
        preview.stop = ListRanOut(preview.capacity);
    }
    return preview;
}

SerialPreview PreviewFrom(const SequenceRules& rules, uint64_t position, int count) {
    SerialPreview preview;
    if (const std::optional<SerialSequence> first = SerialSequence::From(rules.firstSerial)) {
        preview.capacity = CountingScheme(*first).Capacity();
    }
    if (position > 0) {
        preview.after = SerialSequence::At(rules.firstSerial, position - 1).value_or("");
    }
    for (int i = 0; i < count; i++) {
        std::optional<std::string> serial = SerialSequence::At(rules.firstSerial, position + i);
        if (!serial) {
            preview.stop = "the serials have run out: the sequence's digits are used up";
            break;
        }
        preview.serials.push_back(*serial);
    }
    return preview;
}

}  // namespace

Result<SequenceRules> RulesOf(const SequenceDefinition& sequence) {
    SequenceRules rules;
    rules.scheme = sequence.scheme;
    rules.firstSerial = sequence.firstSerial;
    const std::string refused = "the sequence \"" + sequence.name + "\" in the ledger is refused: ";
    switch (sequence.scheme) {
        case SequenceScheme::From:
        case SequenceScheme::List:
            return rules;
        case SequenceScheme::Format:
            break;
        case SequenceScheme::Unknown:
            return Fail(refused + "its serial scheme is not one this program knows");
    }
    Result<SerialFormat> parsed = ParseSerialFormat(sequence.serialFormat);
    if (!parsed) {
        return Fail(refused + "its serial format " + parsed.Err().message);
    }
    rules.format = std::move(*parsed);
    if (!sequence.utcOffset.empty()) {
        const std::optional<int> offset = ParseUtcOffset(sequence.utcOffset);
        if (!offset) {
            return Fail(refused + "its UTC offset \"" + sequence.utcOffset +
                        "\" is not ±HH:MM from -12:00 to +14:00");
        }
        rules.offsetMinutes = *offset;
    }
    return rules;
}

Result<std::chrono::system_clock::time_point, odbc::Failure> LedgerNow(odbc::Session& session,
                                                                       const LedgerClock& clock) {
    if (clock) {
        return clock();
    }
    odbc::Answer read = session.Run(layout::ServerClock(session.DatabaseEngine()));
    if (!read) {
        return Fail(read.Err());
    }
    const std::optional<int64_t> seconds = NumberAt(read);
    if (!seconds) {
        return Fail(odbc::Failure{"", "the database server's clock is not a number of seconds"});
    }
    return std::chrono::system_clock::time_point(std::chrono::seconds(*seconds));
}

Result<PeriodCount, odbc::Failure> ReadPeriod(odbc::Session& session, const std::string& sequence,
                                              const SerialFormat& format, int offsetMinutes,
                                              std::chrono::system_clock::time_point now) {
    PeriodCount count;
    count.date = DateAt(now, offsetMinutes);
    count.period = PeriodOf(format, count.date);
    odbc::Answer read =
        session.Run("SELECT last_counter FROM zq_periods WHERE sequence_name = ? AND period = ?",
                    {sequence, count.period});
    if (!read) {
        return Fail(read.Err());
    }
    if (!read->rows.empty()) {
        const std::optional<int64_t> last = NumberAt(*read);
        if (!last || *last < 0) {
            return Fail(odbc::Failure{"", "the period " + count.period + " of the sequence \"" +
                                              sequence + "\" holds a counter that is not a count"});
        }
        count.last = static_cast<uint64_t>(*last);
        count.stored = true;
    }
    return count;
}

Result<std::optional<uint64_t>, odbc::Failure> NextPosition(odbc::Session& session,
                                                            const std::string& sequence) {
    odbc::Answer read =
        session.Run("SELECT next_position FROM zq_sequences WHERE name = ?", {sequence});
    if (!read) {
        return Fail(read.Err());
    }
    const std::optional<int64_t> next = NumberAt(read);
    if (!next || *next < 0) {
        return std::optional<uint64_t>();
    }
    return std::optional<uint64_t>(static_cast<uint64_t>(*next));
}

Result<std::optional<std::string>, odbc::Failure> ListSerialAt(odbc::Session& session,
                                                               const std::string& sequence,
                                                               uint64_t position) {
    // Only below the list's size: an import writes its serials past it first, and makes them
    // takeable by moving the size on in one short step.
    odbc::Answer read = session.Run(
        "SELECT l.serial FROM zq_list_serials l, zq_sequences q WHERE q.name = ? AND "
        "l.sequence_name = q.name AND l.list_position = ? AND l.list_position < q.list_size",
        {sequence, static_cast<int64_t>(position)});
    if (!read) {
        return Fail(read.Err());
    }
    if (read->rows.empty()) {
        return std::optional<std::string>();
    }
    return read->rows.front().at(0);
}

Result<SerialPreview, odbc::Failure> PreviewSerials(odbc::Session& session,
                                                    const SequenceDefinition& sequence,
                                                    const SequenceRules& rules, uint64_t position,
                                                    int count, const LedgerClock& clock) {
    switch (rules.scheme) {
        case SequenceScheme::Format:
            return PreviewFormat(session, sequence, rules, count, clock);
        case SequenceScheme::List:
            return PreviewList(session, sequence, position, count);
        default:
            return PreviewFrom(rules, position, count);
    }
}
