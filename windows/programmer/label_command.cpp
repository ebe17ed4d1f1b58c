// zq61prog label: one board's label again, for a serial whose last programming outcome on record
// is verified (a label torn, smudged or never printed), recorded as label-reprinted with the
// reason and the station; or a label's ZPL written to a file to look at, printing nothing.
#include <windows.h>

#include "calendar_date.h"
#include "command_failure.h"
#include "commands.h"
#include "console_output.h"
#include "exit_codes.h"
#include "form_values.h"
#include "json_line.h"
#include "label_order.h"
#include "label_printer.h"
#include "label_template.h"
#include "label_values.h"
#include "ledger_operations.h"
#include "log_file.h"
#include "machine_defaults.h"
#include "serial_sequence.h"
#include "sql_ledger.h"
#include "utc_time.h"
#include "utf_text.h"
#include "value_checks.h"
#include "whole_file.h"
#include "wide_text.h"

namespace {

void Refuse(const std::string& message) {
    throw CommandFailure{EXIT_BAD_USAGE, "label: " + message};
}

// The default label, shipped beside the exe.
std::string DefaultTemplate() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::u16string exe(reinterpret_cast<const char16_t*>(path), length);
    std::string folder = Utf16ToUtf8Replacing(exe.substr(0, exe.find_last_of(u"\\/") + 1));
    return folder + "label_default.zpl";
}

LabelTemplate LoadTemplate(const CommandLine& line) {
    Result<LabelTemplate> label =
        LoadLabelTemplate(line.label.label.empty() ? DefaultTemplate() : line.label.label);
    if (!label) {
        throw CommandFailure{EXIT_BAD_USAGE, "--label: " + label.Err().message};
    }
    return std::move(*label);
}

// Where the serial's history is, and how a record is added to it.
class History {
public:
    virtual ~History() = default;
    virtual std::vector<LedgerEntry> Records() = 0;
    virtual Status Record(const LedgerEntry& entry) = 0;
    // Minutes east of UTC the labels' dates are taken at: a format sequence's offset; a log's
    // records are UTC.
    virtual int OffsetMinutes() { return 0; }
};

class LogHistory : public History {
public:
    explicit LogHistory(const std::string& path) : store_(file_, "the log " + path) {
        // A log that is not there is refused rather than created empty.
        Result<std::string, DWORD> there = ReadWholeFile(path);
        if (!there && there.Err() == ERROR_FILE_NOT_FOUND) {
            Refuse("--log: " + path + " does not exist");
        }
        Status opened = file_.Open(path);
        if (!opened) {
            Refuse(opened.Err().message);
        }
    }
    std::vector<LedgerEntry> Records() override {
        Result<std::vector<LedgerEntry>> records = store_.Load();
        if (!records) {
            Refuse(records.Err().message);
        }
        return std::move(*records);
    }
    Status Record(const LedgerEntry& entry) override {
        // A station's own log has no station column: the reprint's station goes in its status.
        LedgerEntry record = entry;
        if (record.outcome == BatchOutcome::LabelReprinted ||
            record.outcome == BatchOutcome::LabelFailed) {
            record.status += " (station " + record.station + ")";
        }
        return store_.Append(record);
    }

private:
    LogFile file_;
    LogStore store_;
};

class SequenceHistory : public History {
public:
    explicit SequenceHistory(const CommandLine& line) : line_(line) {}
    std::vector<LedgerEntry> Records() override {
        Result<std::vector<LedgerEntry>, LedgerError> records =
            Export(line_.label.connection, line_.label.sequence);
        if (!records) {
            throw CommandFailure{EXIT_RECORD_FAILED, records.Err().message};
        }
        return std::move(*records);
    }
    Status Record(const LedgerEntry& entry) override {
        SqlLedgerOptions options;
        options.takes = false;  // a reprint only adds its record
        auto ledger = SqlLedger::Open(line_.label.connection, line_.label.sequence,
                                      line_.label.station, SerialSequence::At, options);
        if (!ledger) {
            throw CommandFailure{EXIT_RECORD_FAILED, ledger.Err().message};
        }
        return (*ledger)->Record(entry);
    }
    int OffsetMinutes() override {
        Result<SequenceDefinition, LedgerError> sequence =
            ReadSequence(line_.label.connection, line_.label.sequence);
        if (!sequence) {
            throw CommandFailure{EXIT_RECORD_FAILED, sequence.Err().message};
        }
        return ParseUtcOffset(sequence->utcOffset).value_or(0);
    }

private:
    const CommandLine& line_;
};

// The record --log or --sequence names; none without either.
std::unique_ptr<History> HistoryOf(const CommandLine& line) {
    if (!line.label.log.empty()) {
        return std::make_unique<LogHistory>(line.label.log);
    }
    if (!line.label.sequence.empty()) {
        return std::make_unique<SequenceHistory>(line);
    }
    return nullptr;
}

void Say(const CommandLine& line, const nlohmann::ordered_json& object, const std::string& text) {
    if (line.json) {
        WriteJsonLine(object);
    } else {
        WriteLine(Stream::Out, text);
    }
}

int Preview(const CommandLine& line) {
    LedgerEntry values;
    values.serial = line.label.serial;
    // Without a record, the identity every program writes by default.
    values.vid = DEFAULT_VID;
    values.pid = DEFAULT_PID;
    values.product = DEFAULT_PRODUCT;
    values.station = line.label.station;
    values.time = UtcNow();
    std::unique_ptr<History> history = HistoryOf(line);
    if (history) {
        const std::vector<LedgerEntry> records = history->Records();
        if (const LedgerEntry* last = LastProgramming(records, line.label.serial)) {
            values = *last;
        }
    }
    const int offset = history ? history->OffsetMinutes() : 0;
    Result<std::string> label = LoadTemplate(line).Fill(LabelValuesOf(values, offset));
    if (!label) {
        Refuse(label.Err().message);
    }
    HANDLE raw = CreateFileW(WideFromUtf8(line.label.preview).c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    win32::AutoCloseHandle file(raw == INVALID_HANDLE_VALUE ? nullptr : raw);
    DWORD written = 0;
    if (!file.Get() ||
        !WriteFile(file.Get(), label->data(), static_cast<DWORD>(label->size()), &written,
                   nullptr) ||
        written != label->size()) {
        Refuse("--preview: cannot write " + line.label.preview + " (error " +
               std::to_string(GetLastError()) + ")");
    }
    Say(line, {{"serial", line.label.serial}, {"preview", line.label.preview}},
        "label: " + line.label.serial + ": written to " + line.label.preview + ", not printed");
    return EXIT_DONE;
}

}  // namespace

void AddLabelOptions(CLI::App& label, CommandLine& line) {
    label.add_option("--serial", line.label.serial, "the board's serial")
        ->type_name("SERIAL")
        ->required()
        ->check(Check(CheckSerial));
    label.add_option("--log", line.label.log, "the batch's log that holds the serial")
        ->type_name("FILE");
    AddSequenceOption(label, line.label.sequence, "the line's sequence in the ledger");
    AddLedgerOption(label, line.label.connection);
    label.add_option("--reason", line.label.reason, "why it is printed again, for the record")
        ->type_name("TEXT")
        ->check(Check(CheckName));
    AddStationOption(label, line.label.station,
                     "the station that reprints (default: the computer's name)");
    label
        .add_option("--label", line.label.label,
                    "the ZPL template (default: label_default.zpl beside zq61prog.exe)")
        ->type_name("TEMPLATE");
    label.add_option("--printer", line.label.printer, "tcp:HOST[:PORT], queue:NAME or folder:DIR")
        ->type_name("TARGET");
    label.add_option("--preview", line.label.preview, "write the label's ZPL here; print nothing")
        ->type_name("FILE.zpl");
    label.add_flag("--json", line.json, "one JSON object per result (JSON Lines, UTF-8)");
}

void CheckLabelCommand(const CLI::App& command, CommandLine& line) {
    auto given = [&](const char* name) { return command.count(name) > 0; };
    if (given("--log") && given("--sequence")) {
        Refuse("--log or --sequence names the record, not both");
    }
    if (given("--ledger") && !given("--sequence")) {
        Refuse("--ledger goes with --sequence");
    }
    if (line.label.station.empty()) {
        line.label.station = ThisMachine().computerName;
    }
    if (given("--sequence")) {
        ThrowIfRefused(
            LedgerOrRefuse(line.label.connection, ThisMachine().ledger, "label: --sequence"));
    }
    if (given("--preview")) {
        if (given("--printer") || given("--reason")) {
            Refuse("--preview prints nothing: --printer and --reason do not go with it");
        }
        return;
    }
    if (!given("--log") && !given("--sequence")) {
        Refuse("a reprint needs the record: --log FILE or --sequence NAME (or --preview FILE)");
    }
    if (!given("--reason") || !given("--printer")) {
        Refuse("a reprint needs --reason and --printer");
    }
    Result<PrinterTarget> target = ParsePrinterTarget(line.label.printer);
    if (!target) {
        Refuse(target.Err().message);
    }
}

int RunLabel(const CommandLine& line) {
    if (!line.label.preview.empty()) {
        return Preview(line);
    }
    // Everything that can be refused is, before the printer is reached.
    LabelTemplate label = LoadTemplate(line);
    Result<std::unique_ptr<LabelPrinter>> printer =
        MakeLabelPrinter(*ParsePrinterTarget(line.label.printer));
    if (!printer) {
        Refuse(printer.Err().message);
    }
    std::unique_ptr<History> history = HistoryOf(line);
    const std::string& serial = line.label.serial;
    const std::vector<LedgerEntry> records = history->Records();
    const LedgerEntry* last = LastProgramming(records, serial);
    LabelDecision decision =
        LabelForReprint(serial, last ? std::optional(last->outcome) : std::nullopt);
    if (!decision.print) {
        throw CommandFailure{EXIT_DIFFERS, "label: refused: " + decision.why};
    }
    Result<std::string> text = label.Fill(LabelValuesOf(*last, history->OffsetMinutes()));
    Status sent = text ? (*printer)->Print(*text, serial) : Status(Fail(text.Err()));

    // The reprint is on record whether or not the printer took it.
    LedgerEntry entry = *last;
    entry.time = UtcNow();
    entry.port.clear();
    entry.station = line.label.station;
    entry.outcome = sent ? BatchOutcome::LabelReprinted : BatchOutcome::LabelFailed;
    entry.status = sent ? line.label.reason : line.label.reason + ": " + sent.Err().message;
    const Status recorded = history->Record(entry);
    if (!recorded) {
        throw CommandFailure{EXIT_RECORD_FAILED, "label: the reprint of " + serial +
                                                     " could not be recorded (" +
                                                     recorded.Err().message + ")"};
    }
    const char* word = OutcomeWord(entry.outcome);
    if (!sent) {
        Say(line, {{"serial", serial}, {"outcome", word}, {"status", entry.status}},
            "label: " + serial + ": not printed (" + sent.Err().message + "), recorded as " + word);
        return EXIT_LABEL_MISSING;
    }
    Say(line,
        {{"serial", serial},
         {"outcome", word},
         {"status", entry.status},
         {"printer", line.label.printer},
         {"station", entry.station}},
        "label: " + serial + ": printed to " + line.label.printer + ", recorded as " + word +
            " (\"" + entry.status + "\", station " + entry.station + ")");
    return EXIT_DONE;
}
