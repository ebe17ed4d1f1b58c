#include "captured_job.h"
#include "chip_read.h"
#include "command_failure.h"
#include "commands.h"
#include "console_output.h"
#include "exit_codes.h"
#include "job_id.h"
#include "job_result.h"
#include "json_line.h"
#include "record_text.h"
#include "status_text.h"
#include "utf_text.h"
#include "whole_file.h"

namespace {

void ReportCapture(const CommandLine& line, const ChipRead& read, const std::string& id) {
    const ConfigRecord& chip = *read.record;
    std::string product = ProductText(chip).value_or("");
    bool lock = chip.writeProtected != 0;
    if (line.json) {
        WriteJsonLine({{"port", read.port},
                       {"outcome", "captured"},
                       {"out", line.out},
                       {"job", id},
                       {"vid", HexId(chip.vendorId)},
                       {"pid", HexId(chip.productId)},
                       {"product", product},
                       {"lock", lock}});
        return;
    }
    WriteLine(Stream::Out, read.port + ": captured into " + line.out + ", job " + id);
    WriteLine(Stream::Out, "  VID " + HexId(chip.vendorId) + ", PID " + HexId(chip.productId) +
                               ", product \"" + product + "\", lock " + (lock ? "yes" : "no"));
}

}  // namespace

int RunCapture(const CommandLine& line) {
    ChipRead read = ReadChosenChip(line.port);
    if (read.outcome != JobOutcome::ReadOk) {
        throw CommandFailure{EXIT_FAILED,
                             read.port + ": " + StatusText(read.outcome) + ": nothing captured"};
    }
    Result<std::string> text = CapturedJobText(*read.record, line.batch.scheme);
    if (!text) {
        throw CommandFailure{EXIT_FAILED, read.port + ": " + text.Err().message};
    }
    Result<std::string> id = JobId(*text);
    if (!id) {
        throw CommandFailure{EXIT_FAILED, id.Err().message};
    }
    DWORD error = 0;
    if (!WriteWholeFile(line.out, *text, line.force, error)) {
        throw CommandFailure{
            error == ERROR_FILE_EXISTS ? EXIT_BAD_USAGE : EXIT_FAILED,
            "--out: cannot write " + line.out + " (error " + std::to_string(error) + ")"};
    }
    ReportCapture(line, read, *id);
    return EXIT_DONE;
}
