// zq61prog serials: the next serials a batch would take on a scheme, after what its log has used
// (or on a line's sequence, after what the ledger has handed out), and the scheme's capacity. It
// opens no port and takes nothing: the log and the ledger are only read.
#include "command_failure.h"
#include "commands.h"
#include "console_output.h"
#include "exit_codes.h"
#include "json_line.h"
#include "log_csv.h"
#include "ledger_operations.h"
#include "log_ledger.h"
#include "machine_defaults.h"
#include "value_checks.h"
#include "scheme_start.h"
#include "whole_file.h"

namespace {

constexpr int kDefaultCount = 5;

// The log's records as a batch would load them; what a preview takes stays in memory, so the
// preview follows the batch's own ledger step by step and the log is never written.
class PreviewStore : public RecordStore {
public:
    explicit PreviewStore(std::vector<LedgerEntry> records) : records_(std::move(records)) {}
    Result<std::vector<LedgerEntry>> Load() override { return records_; }
    Status Append(const LedgerEntry&) override { return {}; }

private:
    std::vector<LedgerEntry> records_;
};

std::vector<LedgerEntry> LogRecords(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    Result<std::string, DWORD> text = ReadWholeFile(path);
    if (!text) {
        // A log not made yet has used nothing.
        if (text.Err() == ERROR_FILE_NOT_FOUND) {
            return {};
        }
        throw CommandFailure{EXIT_BAD_USAGE, "cannot read the log " + path + " (error " +
                                                 std::to_string(text.Err()) + ")"};
    }
    Result<LogContents> contents = DecodeLog(*text);
    if (!contents) {
        throw CommandFailure{EXIT_BAD_USAGE, "the log " + path + ": " + contents.Err().message};
    }
    return std::move(contents->entries);
}

}  // namespace

void AddSerialsOptions(CLI::App& serials, CommandLine& line) {
    AddSchemeOptions(serials, line.batch.scheme);
    serials.add_option("--log", line.batch.log, "the batch's log: its used serials are skipped")
        ->type_name("FILE");
    AddSequenceOption(serials, line.batch.sequence,
                      "a line's sequence in the ledger, after the serials it has handed out");
    AddLedgerOption(serials, line.batch.ledger);
    serials.add_option("--count", line.batch.count, "how many serials to show (default 5)")
        ->type_name("K")
        ->check(CLI::Range(1, 100000));
    serials.add_flag("--json", line.json, "one JSON object per result (JSON Lines, UTF-8)");
}

// Exactly one scheme, or --sequence (with the ledger's connection, from the environment when not
// given) and no scheme.
void CheckSerialsOptions(const CLI::App& serials, CommandLine& line) {
    if (serials.count("--sequence") == 0) {
        if (serials.count("--ledger") > 0) {
            throw CommandFailure{EXIT_BAD_USAGE, "serials: --ledger goes with --sequence"};
        }
        ThrowIfRefused(CheckSchemeOptions(serials));
        return;
    }
    for (const char* option :
         {"--serial-from", "--serial-format", "--utc-offset", "--serial-list", "--log"}) {
        if (serials.count(option) > 0) {
            throw CommandFailure{EXIT_BAD_USAGE,
                                 std::string("serials: ") + option +
                                     " cannot be given beside --sequence: the sequence in the "
                                     "ledger names the serials"};
        }
    }
    ThrowIfRefused(LedgerOrRefuse(line.batch.ledger, ThisMachine().ledger, "serials: --sequence"));
}

namespace {

// What a preview found, printed the same way whichever ledger it came from.
int PrintPreview(const CommandLine& line, const std::vector<std::string>& serials,
                 const std::string& capacity, const std::string& after, const std::string& usedBy,
                 const std::string& stop) {
    for (const std::string& serial : serials) {
        if (line.json) {
            WriteJsonLine({{"serial", serial}});
        } else {
            WriteLine(Stream::Out, serial);
        }
    }
    if (line.json) {
        nlohmann::ordered_json summary = {{"capacity", capacity}};
        if (!after.empty()) {
            summary["after"] = after;
        }
        if (!stop.empty()) {
            summary["stop"] = stop;
        }
        WriteJsonLine(summary);
    } else {
        WriteLine(Stream::Out, "capacity: " + capacity);
        if (!after.empty()) {
            WriteLine(Stream::Out, "after: " + after + ", which " + usedBy + " has used");
        }
        if (!stop.empty()) {
            WriteLine(Stream::Out, "then: " + stop);
        }
    }
    // No serial free now: a batch started now would take none.
    return serials.empty() ? EXIT_FAILED : EXIT_DONE;
}

int PreviewFromLedger(const CommandLine& line, int count) {
    Result<SerialPreview, LedgerError> preview =
        PreviewSequence(line.batch.ledger, line.batch.sequence, count);
    if (!preview) {
        throw CommandFailure{preview.Err().refused ? EXIT_BAD_USAGE : EXIT_RECORD_FAILED,
                             preview.Err().message};
    }
    return PrintPreview(line, preview->serials, preview->capacity, preview->after, "the ledger",
                        preview->stop);
}

}  // namespace

int RunSerials(const CommandLine& line) {
    const int count = line.batch.count > 0 ? line.batch.count : kDefaultCount;
    if (line.batch.UsesLedger()) {
        return PreviewFromLedger(line, count);
    }
    std::unique_ptr<SerialScheme> scheme = StartScheme(line.batch.scheme);
    std::string capacity = scheme->Capacity();
    PreviewStore store(LogRecords(line.batch.log));
    LogLedger ledger(store, std::move(scheme));
    Status opened = ledger.Open();
    if (!opened) {
        throw CommandFailure{EXIT_BAD_USAGE, opened.Err().message};
    }
    std::vector<std::string> serials;
    std::string stop;
    while (static_cast<int>(serials.size()) < count) {
        SerialTake take = ledger.TakeSerial(LedgerEntry());
        if (take.result != TakeResult::Taken) {
            stop = take.message;
            break;
        }
        serials.push_back(take.serial);
    }
    return PrintPreview(line, serials, capacity, ledger.ResumedAfter(), "the log", stop);
}
