#include "job_load.h"

#include "command_failure.h"
#include "exit_codes.h"
#include "job_file.h"
#include "scheme_choice.h"
#include "whole_file.h"

namespace {

// A file the job names, read once: its bytes go into the job's id and are what the job uses.
std::string ReadNamed(const std::string& key, const std::string& path) {
    return ReadOptionFile("--job: " + key, path);
}

}  // namespace

Job LoadJob(const std::string& path) {
    const std::string bytes = ReadOptionFile("--job", path);
    Result<Job> job = ParseJobFile(bytes, path);
    if (!job) {
        throw CommandFailure{EXIT_BAD_USAGE, "--job: " + path + ": " + job.Err().message};
    }
    if (job->serials.scheme == JobScheme::List) {
        job->listText = ReadNamed("serial-list", job->serials.list);
    }
    if (!job->label.empty()) {
        job->labelText = ReadNamed("label", job->label);
    }
    if (Status pinned = PinJobFiles(*job, bytes); !pinned) {
        throw CommandFailure{EXIT_FAILED, "--job: " + path + ": " + pinned.Err().message};
    }
    return *job;
}

std::vector<std::string> LoadJobList(const Job& job) {
    if (job.serials.scheme != JobScheme::List) {
        return {};
    }
    return ValueOrThrow(
        CheckedListSerials("--job: serial-list: " + job.serials.list, job.listText));
}

std::string JobTitle(const Job& job) {
    return "job " + job.id + (job.name.empty() ? "" : " (" + job.name + ")");
}
