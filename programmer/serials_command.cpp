#include "serials_command.h"

#include "command_failure.h"
#include "commands.h"
#include "console_output.h"
#include "exit_codes.h"
#include "json_line.h"
#include "log_csv.h"
#include "log_ledger.h"
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
    DWORD error = 0;
    std::optional<std::string> text = ReadWholeFile(path, error);
    if (!text) {
        // A log not made yet has used nothing.
        if (error == ERROR_FILE_NOT_FOUND) {
            return {};
        }
        throw CommandFailure{EXIT_BAD_USAGE, "cannot read the log " + path + " (error " +
                                                 std::to_string(error) + ")"};
    }
    Result<LogContents> contents = DecodeLog(*text);
    if (!contents) {
        throw CommandFailure{EXIT_BAD_USAGE, "the log " + path + ": " + contents.Err().message};
    }
    return std::move(contents->entries);
}

}  // namespace

CLI::App* AddSerialsCommand(CLI::App& app, CommandLine& line) {
    CLI::App* serials = app.add_subcommand(
        "serials", "the next serials a batch would take after its log, and the capacity");
    AddSchemeOptions(*serials, line.batch.scheme);
    serials->add_option("--log", line.batch.log, "the batch's log: its used serials are skipped")
        ->type_name("FILE");
    serials->add_option("--count", line.batch.count, "how many serials to show (default 5)")
        ->type_name("K")
        ->check(CLI::Range(1, 100000));
    serials->add_flag("--json", line.json, "one JSON object per result (JSON Lines, UTF-8)");
    return serials;
}

int RunSerials(const CommandLine& line) {
    std::unique_ptr<SerialScheme> scheme = StartScheme(line.batch.scheme);
    std::string capacity = scheme->Capacity();
    PreviewStore store(LogRecords(line.batch.log));
    LogLedger ledger(store, std::move(scheme));
    Status opened = ledger.Open();
    if (!opened) {
        throw CommandFailure{EXIT_BAD_USAGE, opened.Err().message};
    }
    int count = line.batch.count > 0 ? line.batch.count : kDefaultCount;
    int shown = 0;
    std::string stop;
    for (; shown < count; shown++) {
        SerialTake take = ledger.TakeSerial(LedgerEntry());
        if (take.result != TakeResult::Taken) {
            stop = take.message;
            break;
        }
        if (line.json) {
            WriteJsonLine({{"serial", take.serial}});
        } else {
            WriteLine(Stream::Out, take.serial);
        }
    }
    const std::string& after = ledger.ResumedAfter();
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
            WriteLine(Stream::Out, "after: " + after + ", which the log has used");
        }
        if (!stop.empty()) {
            WriteLine(Stream::Out, "then: " + stop);
        }
    }
    // No serial free now: a batch started now would take none.
    return shown == 0 ? EXIT_FAILED : EXIT_DONE;
}
