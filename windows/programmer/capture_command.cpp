#include "captured_job.h"
#include "chip_read.h"
#include "command_failure.h"
#include "command_options.h"
#include "commands.h"
#include "console_output.h"
#include "exit_codes.h"
#include "job_file.h"
#include "job_path.h"
#include "job_result.h"
#include "json_line.h"
#include "record_text.h"
#include "status_text.h"
#include "utf_text.h"
#include "whole_file.h"
#include "wide_text.h"

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

// A path made full against the current folder, as Windows resolves it.
std::string FullPath(const std::string& path) {
    const std::wstring wide = WideFromUtf8(path);
    const wchar_t* name = wide.c_str();
    DWORD size = GetFullPathNameW(name, 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    DWORD length = size == 0 ? 0 : GetFullPathNameW(name, size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        throw CommandFailure{EXIT_BAD_USAGE, "cannot make a full path of " + path};
    }
    full.resize(length);
    return Utf16ToUtf8(std::u16string(full.begin(), full.end())).value_or(path);
}

// The list as the job will name it: the path --job resolves to the same file, whatever folder
// it is run from (job_path.h: relative when the list is in the job's folder, otherwise full).
// Its bytes, read now, go into the job's id.
SchemeOptions SchemeForJob(const CommandLine& line, std::string& listText) {
    SchemeOptions scheme = line.batch.scheme;
    if (scheme.serialList.empty()) {
        return scheme;
    }
    listText = ReadOptionFile("--serial-list", scheme.serialList);
    scheme.serialList = PathFromJob(FullPath(line.out), FullPath(scheme.serialList));
    return scheme;
}

// The captured job's id, over its text and its list's bytes, as --job computes it.
std::string CapturedId(const std::string& text, const std::string& out, std::string listText) {
    Result<Job> job = ParseJobFile(text, out);
    if (!job) {
        throw CommandFailure{EXIT_FAILED, job.Err().message};
    }
    job->listText = std::move(listText);
    if (Status pinned = PinJobFiles(*job, text); !pinned) {
        throw CommandFailure{EXIT_FAILED, pinned.Err().message};
    }
    return job->id;
}

}  // namespace

void AddCaptureOptions(CLI::App& command, CommandLine& line) {
    AddPortOption(command, line);
    command.add_option("--out", line.out, "the job file to write")->type_name("FILE")->required();
    AddSchemeOptions(command, line.batch.scheme);
    command.add_flag("--force", line.force, "replace the job file when it exists");
    AddJsonFlag(command, line);
}

// At most one scheme (a job may name none), and a file replaced only when asked: both known
// before the port is opened.
void CheckCaptureOptions(const CLI::App& capture, CommandLine& line) {
    int schemes = 0;
    for (const char* scheme : {"--serial-from", "--serial-format", "--serial-list"}) {
        schemes += capture.count(scheme) > 0 ? 1 : 0;
    }
    if (schemes > 1) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "capture: at most one of --serial-from, --serial-format and "
                             "--serial-list names the job's serials"};
    }
    if (capture.count("--utc-offset") > 0 && capture.count("--serial-format") == 0) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "capture: --utc-offset goes with --serial-format: only a format has "
                             "dates"};
    }
    if (!line.force && PathExists(line.out)) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "capture: --out: " + line.out + " exists; --force replaces it"};
    }
}

int RunCapture(const CommandLine& line) {
    // The list is read before the port is opened: a list that cannot be read opens nothing.
    std::string listText;
    SchemeOptions scheme = SchemeForJob(line, listText);
    ChipRead read = ReadChosenChip(line.port);
    if (read.outcome != JobOutcome::ReadOk) {
        throw CommandFailure{EXIT_FAILED,
                             read.port + ": " + StatusText(read.outcome) + ": nothing captured"};
    }
    Result<std::string> text = CapturedJobText(*read.record, scheme);
    if (!text) {
        throw CommandFailure{EXIT_FAILED, read.port + ": " + text.Err().message};
    }
    const std::string id = CapturedId(*text, line.out, std::move(listText));
    if (Result<void, DWORD> written = WriteWholeFile(line.out, *text, line.force); !written) {
        throw CommandFailure{
            written.Err() == ERROR_FILE_EXISTS ? EXIT_BAD_USAGE : EXIT_FAILED,
            "--out: cannot write " + line.out + " (error " + std::to_string(written.Err()) + ")"};
    }
    ReportCapture(line, read, id);
    return EXIT_DONE;
}
