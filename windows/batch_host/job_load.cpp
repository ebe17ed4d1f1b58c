#include "job_load.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "job_file.h"
#include "serial_list.h"
#include "value_checks.h"
#include "whole_file.h"

namespace {

// A file the job names, read once: its bytes go into the job's id and are what the job uses.
std::string ReadNamed(const std::string& key, const std::string& path) {
    DWORD error = 0;
    std::optional<std::string> bytes = ReadWholeFile(path, error);
    if (!bytes) {
        throw CommandFailure{EXIT_BAD_USAGE, "--job: " + key + ": cannot read " + path +
                                                 " (error " + std::to_string(error) + ")"};
    }
    return std::move(*bytes);
}

}  // namespace

Job LoadJob(const std::string& path) {
    DWORD error = 0;
    std::optional<std::string> bytes = ReadWholeFile(path, error);
    if (!bytes) {
        throw CommandFailure{EXIT_BAD_USAGE, "--job: cannot read " + path + " (error " +
                                                 std::to_string(error) + ")"};
    }
    Result<Job> job = ParseJobFile(*bytes, path);
    if (!job) {
        throw CommandFailure{EXIT_BAD_USAGE, "--job: " + path + ": " + job.Err().message};
    }
    if (job->serials.scheme == JobScheme::List) {
        job->listText = ReadNamed("serial-list", job->serials.list);
    }
    if (!job->label.empty()) {
        job->labelText = ReadNamed("label", job->label);
    }
    if (Status pinned = PinJobFiles(*job, *bytes); !pinned) {
        throw CommandFailure{EXIT_FAILED, "--job: " + path + ": " + pinned.Err().message};
    }
    return *job;
}

std::vector<std::string> LoadJobList(const Job& job) {
    if (job.serials.scheme != JobScheme::List) {
        return {};
    }
    SerialList list = ReadSerialList(job.listText, CheckSerial);
    if (!list.problem.empty()) {
        throw CommandFailure{EXIT_BAD_USAGE,
                             "--job: serial-list: " + job.serials.list + ": " + list.problem};
    }
    return list.serials;
}

std::string JobTitle(const Job& job) {
    return "job " + job.id + (job.name.empty() ? "" : " (" + job.name + ")");
}
