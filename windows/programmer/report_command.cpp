#include "report_command.h"

#include <cstdio>

#include "command_failure.h"
#include "commands.h"
#include "console_output.h"
#include "exit_codes.h"
#include "identity_options.h"
#include "json_line.h"
#include "ledger_questions.h"
#include "log_read.h"
#include "machine_defaults.h"
#include "report_html.h"
#include "report_outcomes.h"
#include "utc_time.h"
#include "value_checks.h"
#include "whole_file.h"

namespace {

Status CheckReportTime(const std::string& text) {
    if (ParseOptionTime(text)) {
        return {};
    }
    return Fail("\"" + text +
                "\" is not a UTC time to the minute or second, such as 2026-12-07T11:00Z or "
                "2026-12-07T11:00:30Z");
}

// A log's records have no station: the log's file name stands for its one station.
std::string StationOfLog(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string YieldText(const std::optional<double>& yield) {
    if (!yield) {
        return "yield -";
    }
    char text[24];
    std::snprintf(text, sizeof text, "yield %.3f", *yield);
    return text;
}

std::string PeriodLine(const PeriodCounts& period) {
    std::string text = period.period + "  " + period.station + ": ";
    for (BatchOutcome outcome : kReportedOutcomes) {
        const auto found = period.records.find(outcome);
        const uint64_t count = found == period.records.end() ? 0 : found->second;
        // Started and verified always; the other words when they happened.
        if (count > 0 || outcome == BatchOutcome::Started || outcome == BatchOutcome::Verified) {
            text += std::string(OutcomeWord(outcome)) + " " + std::to_string(count) + ", ";
        }
    }
    return text + YieldText(YieldOf(period.records));
}

std::string Joined(const std::vector<std::string>& serials) {
    std::string text;
    for (const std::string& serial : serials) {
        text += (text.empty() ? "" : ", ") + serial;
    }
    return text.empty() ? "none" : text;
}

void WriteReportText(const LineReport& report, const ReportScope& scope) {
    WriteLine(Stream::Out, std::string("by ") + PeriodWord(scope.period) + " (UTC), from " +
                               (scope.from.empty() ? "the first record" : scope.from) + " to " +
                               (scope.to.empty() ? "the last" : scope.to + " (not included)") +
                               ":");
    for (const PeriodCounts& period : report.periods) {
        WriteLine(Stream::Out, "  " + PeriodLine(period));
    }
    std::string failures;
    for (const FailureCount& failure : report.failures) {
        failures +=
            (failures.empty() ? "" : "; ") + failure.status + " " + std::to_string(failure.count);
    }
    WriteLine(Stream::Out, "  failures: " + (failures.empty() ? std::string("none") : failures));
    WriteLine(Stream::Out, "  labels to reprint: " + Joined(report.reprint));
    WriteLine(Stream::Out, "  started, never verified: " + Joined(report.unverified));
}

void WriteHtml(const std::string& path, const LineReport& report, const ReportScope& scope) {
    Result<void, DWORD> written = WriteWholeFile(path, ReportHtml(report, scope), true);
    if (!written) {
        throw CommandFailure{EXIT_BAD_USAGE, "--html: cannot write " + path + " (error " +
                                                 std::to_string(written.Err()) + ")"};
    }
}

}  // namespace

ReportPeriod PeriodOf(const CommandLine& line) {
    return line.report.by == "day" ? ReportPeriod::Day : ReportPeriod::Hour;
}

ReportRange RangeOf(const CommandLine& line) {
    ReportRange range;
    if (!line.report.from.empty()) {
        range.from = ParseOptionTime(line.report.from);
    }
    if (!line.report.to.empty()) {
        range.to = ParseOptionTime(line.report.to);
    }
    return range;
}

void AddPeriodOptions(CLI::App& command, CommandLine& line) {
    command.add_option("--by", line.report.by, "the period: hour (default) or day, UTC")
        ->type_name("hour|day")
        ->check(CLI::IsMember({"hour", "day"}));
    command.add_option("--from", line.report.from, "the first moment, e.g. 2026-12-07T06:00Z")
        ->type_name("TIME")
        ->check(Check(CheckReportTime));
    command.add_option("--to", line.report.to, "the moment after the last (not included)")
        ->type_name("TIME")
        ->check(Check(CheckReportTime));
    command.add_option("--html", line.report.html, "also write the report as one HTML page")
        ->type_name("FILE");
}

void AddReportOptions(CLI::App& report, CommandLine& line) {
    report.add_option("--log", line.report.log, "the station's log")->type_name("FILE")->required();
    AddPeriodOptions(report, line);
    report.add_flag("--json", line.json, "the report as one JSON object");
}

void AddTraceOptions(CLI::App& trace, CommandLine& line) {
    trace.add_option("--serial", line.report.serial, "the serial")
        ->type_name("SERIAL")
        ->required()
        ->check(Check(CheckSerial));
    trace.add_option("--sequence", line.report.sequence, "a line's sequence in the ledger")
        ->type_name("NAME")
        ->check(Check(CheckName));
    AddLedgerOption(trace, line.report.connection);
    trace.add_option("--log", line.report.log, "a station's log")->type_name("FILE");
    trace.add_flag("--json", line.json, "one JSON object per record (JSON Lines, UTF-8)");
}

void CheckReportOptions(const CLI::App& command, CommandLine& line) {
    const ReportRange range = RangeOf(line);
    if (range.from && range.to && *range.to <= *range.from) {
        throw CommandFailure{EXIT_BAD_USAGE, line.command + ": --to (" + line.report.to +
                                                 ") is not after --from (" + line.report.from +
                                                 ")"};
    }
    if (line.command != "trace") {
        return;
    }
    const bool sequence = command.count("--sequence") > 0, log = command.count("--log") > 0;
    if (sequence == log) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "trace: exactly one of --sequence and --log names the record"};
    }
    if (log && command.count("--ledger") > 0) {
        throw CommandFailure{EXIT_BAD_USAGE, "trace: --ledger goes with --sequence"};
    }
    if (sequence) {
        ThrowIfRefused(
            LedgerOrRefuse(line.report.connection, ThisMachine().ledger, "trace: --sequence"));
    }
}

void WritePeriodReport(const CommandLine& line, const LineReport& report, ReportScope scope,
                       nlohmann::ordered_json* json) {
    scope.period = PeriodOf(line);
    scope.from = line.report.from;
    scope.to = line.report.to;
    scope.made = UtcNow();
    if (!line.report.html.empty()) {
        WriteHtml(line.report.html, report, scope);
    }
    if (json != nullptr) {
        // Kept whole while its items are copied: items() of a temporary would outlive it.
        const nlohmann::ordered_json periods = ReportJson(report, scope);
        for (const auto& [key, value] : periods.items()) {
            (*json)[key] = value;
        }
    } else {
        WriteReportText(report, scope);
    }
}

int RunLogReport(const CommandLine& line) {
    const std::vector<LedgerEntry> records = ReadLogRecords(line.report.log);
    const LineReport report =
        ReportOfRecords(records, PeriodOf(line), RangeOf(line), StationOfLog(line.report.log));
    ReportScope scope{"the log " + line.report.log};
    if (line.json) {
        nlohmann::ordered_json json = nlohmann::ordered_json::object();
        WritePeriodReport(line, report, scope, &json);
        WriteJsonLine(json);
    } else {
        WriteLine(Stream::Out,
                  "log " + line.report.log + ", station " + StationOfLog(line.report.log) + ":");
        WritePeriodReport(line, report, scope, nullptr);
    }
    return EXIT_DONE;
}

int RunTrace(const CommandLine& line) {
    std::vector<LedgerEntry> records;
    std::string where;
    if (!line.report.log.empty()) {
        for (LedgerEntry& record : ReadLogRecords(line.report.log)) {
            if (record.serial == line.report.serial) {
                record.station = StationOfLog(line.report.log);
                records.push_back(std::move(record));
            }
        }
        // A log is written in time order; a clock set back shows here as it happened.
        where = "the log " + line.report.log;
    } else {
        auto traced = TraceSerial(line.report.connection, line.report.sequence, line.report.serial);
        if (!traced) {
            throw CommandFailure{traced.Err().refused ? EXIT_BAD_USAGE : EXIT_RECORD_FAILED,
                                 traced.Err().message};
        }
        records = std::move(*traced);
        where = "sequence " + line.report.sequence;
    }
    if (records.empty()) {
        throw CommandFailure{EXIT_DIFFERS,
                             "trace: " + line.report.serial + " is not on record in " + where};
    }
    for (const LedgerEntry& record : records) {
        if (line.json) {
            WriteJsonLine({{"time", record.time},
                           {"station", record.station},
                           {"port", record.port},
                           {"outcome", OutcomeWord(record.outcome)},
                           {"status", record.status},
                           {"job", record.job}});
        } else {
            WriteLine(Stream::Out, record.time + "  " + record.station + "  " + record.port + "  " +
                                       OutcomeWord(record.outcome) +
                                       (record.status.empty() ? "" : "  " + record.status) +
                                       (record.job.empty() ? "" : "  job " + record.job));
        }
    }
    return EXIT_DONE;
}
