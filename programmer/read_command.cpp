#include "commands.h"
#include "config_jobs.h"
#include "console_output.h"
#include "exit_codes.h"
#include "handle_port.h"
#include "identity_text.h"
#include "json_line.h"
#include "outcome_words.h"
#include "port_choice.h"
#include "reply_capture_port.h"
#include "serial_port.h"

namespace {

nlohmann::ordered_json OrNull(const std::optional<std::string>& text) {
    return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
}

void ReportRead(const CommandLine& line, const std::string& port, JobOutcome outcome,
                const ConfigRecord& record, const std::vector<uint8_t>& bytes) {
    bool ok = outcome == JobOutcome::ReadOk;
    if (line.json) {
        nlohmann::ordered_json result = {
            {"port", port}, {"outcome", OutcomeWord(outcome)}, {"status", StatusText(outcome)}};
        if (ok) {
            result["configured"] = record.configured != 0;
            result["locked"] = record.writeProtected != 0;
            result["vid"] = HexId(record.vendorId);
            result["pid"] = HexId(record.productId);
            result["serial"] = OrNull(SerialOf(record));
            result["product"] = OrNull(ProductOf(record));
            result["bytes"] = HexBytes(bytes, "");
        }
        WriteJsonLine(result);
        return;
    }
    WriteLine(Stream::Out, port + ": " + StatusText(outcome));
    if (!ok) {
        return;
    }
    std::optional<std::string> serial = SerialOf(record);
    std::optional<std::string> product = ProductOf(record);
    WriteLine(Stream::Out,
              std::string("  marker   ") + (record.configured ? "configured" : "not configured"));
    WriteLine(Stream::Out,
              std::string("  lock     ") + (record.writeProtected ? "locked" : "not locked"));
    WriteLine(Stream::Out, "  VID      " + HexId(record.vendorId));
    WriteLine(Stream::Out, "  PID      " + HexId(record.productId));
    WriteLine(Stream::Out, "  serial   " + (serial ? *serial : std::string("(absent)")));
    WriteLine(Stream::Out,
              "  product  " + (product ? "\"" + *product + "\"" : std::string("(absent)")));
    // 52 bytes, in the order the read frames asked for them.
    WriteLine(Stream::Out, "  bytes    " + HexBytes(bytes, " "));
}

}  // namespace

int RunRead(const CommandLine& line) {
    std::optional<std::string> chosen = ChoosePortForCommand(line.port, line.json);
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (!chosen || !OpenPortForCommand(*chosen, line.json, handle)) {
        return EXIT_NO_PORT;
    }
    HandlePort port(handle);
    ReplyCapturePort capture(port);
    RecordPtr record = NewRecord();
    JobOutcome outcome = ReadChip(capture, *record);
    ClosePort(handle);
    ReportRead(line, *chosen, outcome, *record, capture.Replies());
    return ExitCodeFor(outcome);
}
