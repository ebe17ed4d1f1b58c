#include <cstdio>

#include "command_options.h"
#include "commands.h"
#include "command_failure.h"
#include "config_jobs.h"
#include "console_output.h"
#include "driver_chip_opener.h"
#include "exit_codes.h"
#include "job_result.h"
#include "json_line.h"
#include "port_choice.h"
#include "record_text.h"
#include "reply_capture_port.h"
#include "status_text.h"

namespace {

nlohmann::ordered_json OrNull(const std::optional<std::string>& text) {
    return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
}

// The bytes as upper-case hexadecimal, joined by separator.
std::string HexBytes(const std::vector<uint8_t>& bytes, const char* separator) {
    std::string text;
    for (size_t i = 0; i < bytes.size(); i++) {
        char hex[4];
        std::snprintf(hex, sizeof(hex), "%02X", static_cast<unsigned>(bytes[i]));
        text += (i > 0 ? separator : "") + std::string(hex);
    }
    return text;
}

void ReportRead(const CommandLine& line, const std::string& port, JobOutcome outcome,
                const ConfigRecord& record, const std::vector<uint8_t>& bytes) {
    bool ok = outcome == JobOutcome::ReadOk;
    std::optional<std::string> serial = SerialText(record);
    std::optional<std::string> product = ProductText(record);
    if (line.json) {
        nlohmann::ordered_json result = {
            {"port", port}, {"outcome", JobWord(outcome)}, {"status", StatusText(outcome)}};
        if (ok) {
            result["configured"] = record.configured != 0;
            result["locked"] = record.writeProtected != 0;
            result["vid"] = HexId(record.vendorId);
            result["pid"] = HexId(record.productId);
            result["serial"] = OrNull(serial);
            result["product"] = OrNull(product);
            result["bytes"] = HexBytes(bytes, "");
        }
        WriteJsonLine(result);
        return;
    }
    WriteLine(Stream::Out, port + ": " + StatusText(outcome));
    if (!ok) {
        return;
    }
    WriteLine(Stream::Out,
              std::string("  marker   ") + (record.configured ? "configured" : "not configured"));
    WriteLine(Stream::Out,
              std::string("  lock     ") + (record.writeProtected ? "locked" : "not locked"));
    WriteLine(Stream::Out, "  VID      " + HexId(record.vendorId));
    WriteLine(Stream::Out, "  PID      " + HexId(record.productId));
    WriteLine(Stream::Out, "  serial   " + serial.value_or("(absent)"));
    WriteLine(Stream::Out,
              "  product  " + (product ? "\"" + *product + "\"" : std::string("(absent)")));
    // 52 bytes, in the order the read frames asked for them.
    WriteLine(Stream::Out, "  bytes    " + HexBytes(bytes, " "));
}

}  // namespace

void AddReadOptions(CLI::App& command, CommandLine& line) {
    AddPortOption(command, line);
    AddJsonFlag(command, line);
}

int RunRead(const CommandLine& line) {
    std::string chosen = ChoosePortForCommand(line.port);
    std::string problem;
    std::unique_ptr<OwnedChipPort> port = OpenChipPort(chosen, problem);
    if (!port) {
        throw CommandFailure{EXIT_NO_PORT, problem};
    }
    ReplyCapturePort capture(*port);
    RecordPtr record = NewRecord();
    JobOutcome outcome = ReadChip(capture, *record);
    port.reset();
    ReportRead(line, chosen, outcome, *record, capture.Replies());
    return JobExitCode(outcome);
}
