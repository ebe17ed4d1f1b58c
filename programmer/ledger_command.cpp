// zq61prog ledger: a line's shared database, set up and read: its tables, a sequence (the line's
// job), the report and the export.
#include "command_failure.h"
#include "commands.h"
#include "console_output.h"
#include "exit_codes.h"
#include "identity_description.h"
#include "json_line.h"
#include "ledger_operations.h"
#include "lock_consent.h"
#include "log_csv.h"
#include "sequence_identity.h"

namespace {

// The value, or the failure: a value the ledger refuses is a bad value, anything else means the
// ledger cannot be reached or used.
template <typename T>
T Checked(Result<T, LedgerError> result) {
    if (!result) {
        throw CommandFailure{result.Err().refused ? EXIT_BAD_USAGE : EXIT_RECORD_FAILED,
                             result.Err().message};
    }
    return std::move(*result);
}

std::string Describe(const SequenceDefinition& sequence) {
    Result<ChipIdentity> identity = IdentityOfSequence(sequence);
    const std::string lock = std::string(", lock ") + (sequence.lock ? "yes" : "no");
    if (!identity) {
        // A row edited by hand is still reported, as it stands, with why no batch takes it.
        return "VID " + sequence.vid + ", PID " + sequence.pid + ", serials from " +
               sequence.firstSerial + ", product \"" + sequence.product + "\"" + lock + " (" +
               identity.Err().message + ")";
    }
    return DescribeIdentity(*identity, "serials from " + sequence.firstSerial) + lock;
}

nlohmann::ordered_json Counts(const std::map<BatchOutcome, uint64_t>& records) {
    nlohmann::ordered_json counts = nlohmann::ordered_json::object();
    counts[OutcomeWord(BatchOutcome::Started)] = 0;
    for (BatchOutcome outcome : kFinalOutcomes) {
        counts[OutcomeWord(outcome)] = 0;
    }
    for (const auto& [outcome, count] : records) {
        counts[OutcomeWord(outcome)] = count;
    }
    return counts;
}

std::string CountsText(const std::map<BatchOutcome, uint64_t>& records) {
    std::string text;
    nlohmann::ordered_json counts = Counts(records);
    for (const auto& [word, count] : counts.items()) {
        text += (text.empty() ? "" : ", ") + word + " " + std::to_string(count.get<uint64_t>());
    }
    return text;
}

int RunInit(const CommandLine& line) {
    bool created = Checked(InitLedger(line.ledger.connection));
    if (line.json) {
        WriteJsonLine({{"outcome", created ? "created" : "unchanged"}});
    } else {
        WriteLine(Stream::Out, created ? "ledger: tables created"
                                       : "ledger: the tables are there: nothing changed");
    }
    return EXIT_DONE;
}

int RunSequence(const CommandLine& line) {
    ChipIdentity identity = IdentityOf(line.identity);
    RequireLockConsentPossible(identity.lock, line.yes);
    SequenceDefinition sequence =
        SequenceFor(line.ledger.sequence, line.ledger.serialFrom, identity);
    if (identity.lock && !line.yes) {
        AskLockConsent("every chip of sequence " + sequence.name,
                       DescribeIdentity(identity, "serials from " + sequence.firstSerial));
    }
    bool defined = Checked(DefineSequence(line.ledger.connection, sequence));
    std::vector<std::string> overlapping =
        Checked(OverlappingSequences(line.ledger.connection, sequence));
    if (line.json) {
        WriteJsonLine({{"sequence", sequence.name},
                       {"outcome", defined ? "defined" : "unchanged"},
                       {"serialFrom", sequence.firstSerial},
                       {"vid", sequence.vid},
                       {"pid", sequence.pid},
                       {"product", sequence.product},
                       {"lock", sequence.lock},
                       {"overlaps", overlapping}});
    } else {
        WriteLine(Stream::Out, "sequence " + sequence.name + ": " +
                                   (defined ? "defined" : "already defined so: nothing changed") +
                                   "\n  " + Describe(sequence));
    }
    if (!overlapping.empty()) {
        std::string names;
        for (const std::string& name : overlapping) {
            names += (names.empty() ? "" : ", ") + name;
        }
        // Not refused: a line may mean it. Said, since each takes serials the other may use.
        WriteLine(Stream::Err, "zq61prog: sequence " + sequence.name + " overlaps " + names +
                                   " (the same VID, PID and serials): a serial one has used is "
                                   "skipped by the other");
    }
    return EXIT_DONE;
}

int RunReport(const CommandLine& line) {
    LedgerReport report = Checked(Report(line.ledger.connection, line.ledger.sequence));
    if (line.json) {
        nlohmann::ordered_json stations = nlohmann::ordered_json::object();
        for (const StationCounts& station : report.stations) {
            stations[station.station] = Counts(station.records);
        }
        WriteJsonLine({{"sequence", report.sequence.name},
                       {"serialsUsed", report.serialsUsed},
                       {"highest", report.highestSerial.empty()
                                       ? nlohmann::ordered_json(nullptr)
                                       : nlohmann::ordered_json(report.highestSerial)},
                       {"records", Counts(report.records)},
                       {"stations", stations},
                       {"withoutVerified", report.withoutVerified}});
        return EXIT_DONE;
    }
    WriteLine(Stream::Out, "sequence " + report.sequence.name + ": " + Describe(report.sequence));
    WriteLine(Stream::Out,
              "serials used " + std::to_string(report.serialsUsed) + ", the highest " +
                  (report.highestSerial.empty() ? std::string("none") : report.highestSerial));
    WriteLine(Stream::Out, "records: " + CountsText(report.records));
    for (const StationCounts& station : report.stations) {
        WriteLine(Stream::Out, "station " + station.station + ": " + CountsText(station.records));
    }
    std::string missing;
    for (const std::string& serial : report.withoutVerified) {
        missing += (missing.empty() ? "" : ", ") + serial;
    }
    WriteLine(Stream::Out, "used without a verified outcome: " +
                               (missing.empty() ? std::string("none") : missing));
    return EXIT_DONE;
}

int RunExport(const CommandLine& line) {
    std::vector<LedgerEntry> records =
        Checked(Export(line.ledger.connection, line.ledger.sequence));
    std::string text = ExportStart();
    for (const LedgerEntry& record : records) {
        text += EncodeExportLine(record);
    }
    WriteText(Stream::Out, text);
    return EXIT_DONE;
}

constexpr Command kLedgerCommands[] = {
    {"init", RunInit},
    {"sequence", RunSequence},
    {"report", RunReport},
    {"export", RunExport},
};

}  // namespace

int RunLedger(const CommandLine& line) {
    return RunCommand(kLedgerCommands, line.ledger.command, line);
}
